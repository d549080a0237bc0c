// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/instrument/RunState.h"
#include "domain/ports/LineSettings.h"
#include "domain/programs/Timeline.h"

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

// The same check a slice at a time, for a window that must stay live
// through a program of millions of steps. The table must not change
// between slices: start again after a change.
class LineChecker
{
public:
    enum class Detail { Timeline, StretchedOnly };

    LineChecker(const StepTableModel &steps, const LineSettings &line, int cycles = 1,
                Detail detail = Detail::Timeline);

    // Plays up to `steps` more steps; true once the check is complete.
    bool advance(qint64 steps);
    bool done() const { return m_done; }
    // How far it is, 0 to 1, by the steps a complete check plays.
    double progress() const;
    const LineCheck &result() const { return m_check; }
    LineCheck takeResult() { return std::move(m_check); }

private:
    const StepTableModel &m_steps;
    double m_charMs;
    Detail m_detail;
    RunState m_run;
    LineCheck m_check;
    double m_waitingMs = 0;
    qint64 m_now = 0;
    int m_lastPeriodMs = -1; // the timer's period; -1 while it was never armed
    qint64 m_expectedSteps = 0;
    bool m_done = false;
};

// "0.066 s", "1:02.340" and "1:02:03.400": a time as the check writes it.
QString secondsText(double ms);
QString lengthText(qint64 ms);

// "Step 3  Dip 0% 0.5c @90  dwell 0.010 s  line 0.102 s", one line per
// stretched step, then "Expected length: 1:02.340 (62.340 s)".
QString lineCheckReport(const LineCheck &check, const LineSettings &line);
