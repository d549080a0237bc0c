// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <QtGlobal>

// Steps held longer than their dwell time because the line had not yet
// carried their commands: the tick that ends such a step waits for them
// instead of queueing the next step's behind them. Counted per run.
struct StepPace
{
    // The step being held past its dwell (1-based position); 0 when none.
    qint32 heldStep = 0;
    int heldDwellMs = 0; // the period it was played with
    int heldExtraMs = 0; // the waits for the line so far

    qint64 stretchedCount = 0;
    QString longestLabel;
    int longestHeldMs = 0;
    int longestDwellMs = 0;
};

// The row's tooltip: "Held 94 ms instead of its 10 ms dwell in the last run:
// the line could not carry its commands sooner."
QString stretchedStepNote(int heldMs, int dwellMs);

// One line for standard error at the end of a run that stretched steps.
QString stretchedStepsSummary(const StepPace &pace);
