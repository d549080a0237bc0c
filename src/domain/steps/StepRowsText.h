// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/steps/StepRecord.h"

#include <QString>
#include <QStringView>
#include <span>
#include <vector>

// Steps as a spreadsheet copies and pastes them: one line per step, ended
// by CR LF, cells separated by tabs, in the table's column order (label,
// then the seven values).
namespace StepRowsText {

QString format(std::span<const StepRecord> rows);

// What a paste brings: the checked rows, or why the text was refused.
struct Pasted
{
    // Ticked, with their values in the editor's form. A row that brought no
    // label has an empty one: it is labelled from the step counter.
    std::vector<StepRecord> rows;
    QString error; // empty when the text was accepted
    int errorLine = 0;
};

// Reads what a spreadsheet puts on the clipboard: tab-separated cells,
// quoted or not, CR LF or LF line ends, an optional first line of column
// titles, seven cells a row or eight with the label first. Blank lines are
// skipped. Every cell is checked as the step editor checks it (the same
// ranges, the characters a step file can hold); a number must be the whole
// cell, so that "1,5" or "n/a" is refused rather than read as 1 or 0. The
// first bad cell refuses the whole text.
Pasted parse(QStringView text);

// Steps this program put on the clipboard in its own form (a step file's
// records): checked as the text's cells are, each keeping its tick. The
// line of a refusal counts the steps.
Pasted parseSteps(const std::vector<StepRecord> &records);

} // namespace StepRowsText
