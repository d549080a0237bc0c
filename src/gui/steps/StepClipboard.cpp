// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "steps/StepClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace StepClipboard {

void put(const QString &text)
{
    auto *data = new QMimeData;
    data->setText(text);
    data->setData(TabSeparatedType, text.toUtf8());
    QGuiApplication::clipboard()->setMimeData(data);
}

QString text()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return {};
    if (data->hasFormat(TabSeparatedType))
        return QString::fromUtf8(data->data(TabSeparatedType));
    return data->text();
}

bool hasText()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && (data->hasFormat(TabSeparatedType) || data->hasText());
}

} // namespace StepClipboard
