// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "programs/RunRecordFile.h"

#include <QString>

// The program a report is checked against: given on the command line, or
// the step file that the record's side file names.
struct ReportProgram
{
    QString path;       // empty: none
    QString sha256;     // of the file now
    qint64 matched = 0; // recorded steps whose dwell it gave
    bool loaded = false;
};

// Writes the PDF report of a run: a header (step file and checksum, port,
// baud, start, end, duration, how the run ended, steps played and
// stretched), the chart of what was sent over time, and a table of every
// step played with what it commanded, its dwell, the time it was held and
// the difference. Returns false with *error when the file cannot be written.
bool writeRunReport(const RecordedRun &run, const ReportProgram &program, const QString &path, QString *error);
