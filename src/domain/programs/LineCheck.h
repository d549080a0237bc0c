// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "platform/LineSettings.h"
#include "programs/Timeline.h"

#include <QList>
#include <QString>

class StepTableModel;

// What a run of the step table at a line rate would do, worked out before
// the run by the sequencer's own rules: the same commands per step (phase
// commands only where they changed), each step held for its dwell or, when
// its commands need longer on the line, until they have left, as the pace
// of a real run holds it; the last step of each cycle held once more before
// the rewind.
struct StretchedRow
{
    int position = 0; // 1-based row
    QString label;
    int dwellMs = 0;
    double lineMs = 0; // what its commands take on the line
};

struct LineCheck
{
    QList<StretchedRow> stretched;
    Timeline timeline;
    qint64 stepsPlayed = 0;
};

// The run of the table for `cycles` cycles (at least 1), on a line with
// these settings. A step's line time includes what was sent before it and
// had not left yet: RUN's own two commands before the first step.
LineCheck checkLine(const StepTableModel &steps, const LineSettings &line, int cycles = 1);

// "Step 3  Dip 0% 0.5c @90  dwell 0.010 s  line 0.102 s", one line per
// stretched step, then "Expected length: 1:02.340 (62.340 s)".
QString lineCheckReport(const LineCheck &check, const LineSettings &line);
