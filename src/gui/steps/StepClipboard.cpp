// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/steps/StepClipboard.h"

#include "domain/files/StepFileFormat.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace StepClipboard {

void put(std::span<const StepRecord> rows)
{
    const QString text = StepRowsText::format(rows);
    auto *data = new QMimeData;
    data->setText(text);
    data->setData(TabSeparatedType, text.toUtf8());
    data->setData(StepsType, StepFileFormat::format(std::vector<StepRecord>(rows.begin(), rows.end())));
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

StepRowsText::Pasted paste()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasFormat(StepsType))
        return StepRowsText::parseSteps(StepFileFormat::parse(data->data(StepsType)));
    return StepRowsText::parse(text());
}

bool hasText()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && (data->hasFormat(TabSeparatedType) || data->hasText());
}

} // namespace StepClipboard
