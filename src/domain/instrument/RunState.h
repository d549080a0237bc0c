// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <QtGlobal>

// Where a run stands. All 0 when the session is created; RUN gives them
// their run values.
struct RunState
{
    qint32 StepTotal = 0;    // rows in the table when RUN was pressed
    qint32 RunCycles = 0;    // 1 Single, -1 Continuous, n Cycle; kept between runs
    qint32 CyclesLeft = 0;   // 0 ends the run
    qint32 CurrentStep = 0;  // 1-based position of the next row to look at
    qint32 LastSentStep = 0; // position of the last row played in this run; 0 = none
    // The phase texts the instrument holds from this run: a played row that
    // the step editor rewrote since is compared by what went out, not by
    // its new texts.
    QString SentStartPhase;
    QString SentStopPhase;
};
