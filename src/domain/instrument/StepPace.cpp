// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/StepPace.h"

#include "domain/steps/StepText.h"

QString stretchedStepNote(int heldMs, int dwellMs)
{
    return QStringLiteral("Held %1 ms instead of its %2 ms dwell in the last run: "
                          "the line could not carry its commands sooner.")
        .arg(heldMs)
        .arg(dwellMs);
}

QString stretchedStepsSummary(const StepPace &pace)
{
    return QStringLiteral("quorra: %1 step(s) held longer than their dwell time, because the line "
                          "could not carry their commands sooner; the longest, %2, %3 ms instead "
                          "of %4 ms")
        .arg(pace.stretchedCount)
        .arg(StepText::escapeControls(pace.longestLabel))
        .arg(pace.longestHeldMs)
        .arg(pace.longestDwellMs);
}
