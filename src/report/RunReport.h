// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/programs/RunRecordFile.h"

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

// One program row of a run, as its report sums it up.
struct ReportRowSummary
{
    QString label;
    int dwellMs = -1; // -1: the program is not known
    qint64 played = 0;
    qint64 leastMs = 0, medianMs = 0, mostMs = 0; // held; -1: not known
    qint64 worstDiffMs = 0;                       // held less what the sequencer holds, furthest from 0
    bool known = false;                           // the worst difference is known
    bool heldLonger = false;                      // ever held longer for the line
};
QList<ReportRowSummary> summariseRows(const RecordedRun &run);
// The steps (0-based) held other than their dwell by more than the
// record's resolution, in the order played.
QList<qsizetype> differingSteps(const RecordedRun &run);

// Writes the PDF report of a run: a header (step file and checksum, port,
// baud, start, end, duration, how the run ended, steps played and
// stretched), the chart of what was sent over time, a summary per program
// row, the steps held other than their dwell (the first 1,000), and the
// table of every step played while there are at most 500. Returns false
// with *error when the file cannot be written.
bool writeRunReport(const RecordedRun &run, const ReportProgram &program, const QString &path, QString *error);
