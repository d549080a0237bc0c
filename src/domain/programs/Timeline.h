// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// What a run commands over time, one segment per step played: drawn by the
// program's chart, whether it comes from a step file (what a run would do)
// or from the record of a run (what it did).
struct TimelineStep
{
    qint64 startMs = 0; // from RUN
    qint64 heldMs = 0;  // until the next step, or the end of the run
    double volts = 0;
    double hertz = 0;
    bool outputOn = true;
    bool stretched = false; // held past its dwell for the line
    QString label;
};

struct Timeline
{
    QList<TimelineStep> steps;
    qint64 lengthMs = 0; // RUN to the end of the run
    // A step holds for ever (a dwell of 0 ms): the run never ends by itself.
    bool endless = false;
};
