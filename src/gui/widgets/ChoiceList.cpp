// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/widgets/ChoiceList.h"

#include <QComboBox>
#include <QLineEdit>

namespace ChoiceList {

void makeEditable(QComboBox *list)
{
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setCompleter(nullptr);
    // The list looks the typed text up among its entries when editing
    // finishes and, on a match, picks that entry (case-insensitively at
    // that). Typing must never pick, so that look-up is cut off.
    QObject::disconnect(list->lineEdit(), &QLineEdit::editingFinished, list, nullptr);
    QObject::disconnect(list->lineEdit(), &QLineEdit::returnPressed, list, nullptr);
}

void showEntry(QComboBox *list, const QString &text)
{
    const int index = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        list->setCurrentIndex(index);
    list->setEditText(text);
}

} // namespace ChoiceList
