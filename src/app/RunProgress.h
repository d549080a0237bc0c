// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

class StepTableModel;

// How long a run of the step table still takes, from the moment one of its
// steps is played: the rest of that cycle's checked steps, the last one's
// dwell again before the sequencer rewinds (or ends), and every cycle left
// after this one.
class RunPlan
{
public:
    explicit RunPlan(const StepTableModel &steps);

    // Milliseconds from the start of the step at position to the end of the
    // run, with cyclesLeft counting the current cycle; -1 when unknown (a
    // checked step with a dwell of 0 holds until STOP, or the run is
    // continuous: cyclesLeft below 1).
    qint64 leftFrom(int position, qint32 cyclesLeft) const;

private:
    std::vector<qint64> m_fromRow; // per position: the checked steps' dwells from there on
    qint64 m_lastDwell = 0;        // the last checked step's
    bool m_holds = false;
};

// "02:03.4", or "1:02:03.4" from an hour on.
QString durationText(qint64 ms);

// One line of progress: "Step3 ( 3 / 8 )  cycle 1 of 2  elapsed 00:12.3
// left 00:40.1". cycles < 1: continuous, no count and nothing left; leftMs
// < 0: nothing left shown. Control characters in the label are shown
// escaped ("\x1b").
QString progressLine(const QString &label, int position, int total, qint32 cycle, qint32 cycles,
                     qint64 elapsedMs, qint64 leftMs);
