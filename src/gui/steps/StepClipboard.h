// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>

// The system clipboard as the step table uses it: rows go out as plain
// text and as tab-separated values, which spreadsheets take as cells.
namespace StepClipboard {

inline const QString TabSeparatedType = QStringLiteral("text/tab-separated-values");

void put(const QString &text);
// What a paste reads: tab-separated values when offered, else plain text.
QString text();
bool hasText();

} // namespace StepClipboard
