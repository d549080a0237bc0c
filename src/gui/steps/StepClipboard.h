// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/steps/StepRowsText.h"

#include <QString>
#include <span>

// The system clipboard as the step table uses it: rows go out as plain
// text and as tab-separated values, which spreadsheets take as cells, and
// as a step file's records, which keep each row's tick within the program.
namespace StepClipboard {

inline const QString TabSeparatedType = QStringLiteral("text/tab-separated-values");
inline const QString StepsType = QStringLiteral("application/x-quorra-steps");

void put(std::span<const StepRecord> rows);
// What a paste reads: this program's own steps when offered (ticks kept),
// else tab-separated values, else plain text (pasted ticked).
StepRowsText::Pasted paste();
QString text();
bool hasText();

} // namespace StepClipboard
