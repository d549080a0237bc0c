// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/LineSettings.h"

#include <QString>
#include <optional>

// The step the program was playing when it wrote a burst of commands.
struct StepContext
{
    QString label;   // "Step5"
    int dwellMs = 0; // the period the sequencer armed for it; 0: held until STOP
};

// A step whose commands take longer on the line than its dwell time. The
// program does not wait for its bytes to leave, so on a real bench such a
// step is held longer than programmed and every later step comes late.
struct StretchedStep
{
    double ms = 0.0; // when the program wrote the step's commands
    QString label;
    double wireMs = 0.0;
    int baud = 0;
    int dwellMs = 0;

    // "Step5: 94 ms of commands at 9600 baud, dwell 10 ms"
    QString text() const;
};

// Checks one burst: the bytes the program wrote in one go for a step.
std::optional<StretchedStep> checkBurst(qsizetype bytes, double writtenMs, const LineSettings &line,
                                        const StepContext &step);
