// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/widgets/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

std::unique_ptr<QMessageBox> QtMessageBox::build(const QString &text, Buttons buttons, Icon icon,
                                                 const QString &caption, Answer defaultButton)
{
    auto box = std::make_unique<QMessageBox>(
        icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, caption, QString());
    box->setTextFormat(Qt::PlainText);
    box->setText(QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    switch (buttons) {
    case Buttons::Ok: box->setStandardButtons(QMessageBox::Ok); break;
    case Buttons::YesNoCancel:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setEscapeButton(QMessageBox::No);
        break;
    }
    switch (defaultButton) {
    case Answer::Yes: box->setDefaultButton(QMessageBox::Yes); break;
    case Answer::No: box->setDefaultButton(QMessageBox::No); break;
    case Answer::Cancel: box->setDefaultButton(QMessageBox::Cancel); break;
    case Answer::Ok: box->setDefaultButton(QMessageBox::Ok); break;
    }
    return box;
}

MessageBox::Answer QtMessageBox::show(const QString &text, Buttons buttons, Icon icon, const QString &caption,
                                      Answer defaultButton)
{
    const auto box = build(text, buttons, icon, caption, defaultButton);
    switch (box->exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default:
        return buttons == Buttons::Ok ? Answer::Ok : buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}
