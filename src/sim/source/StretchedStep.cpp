// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/StretchedStep.h"

#include "sim/source/WireTiming.h"

#include <cmath>

QString StretchedStep::text() const
{
    return QStringLiteral("%1: %2 ms of commands at %3 baud, dwell %4 ms")
        .arg(label)
        .arg(std::lround(wireMs))
        .arg(baud)
        .arg(dwellMs);
}

std::optional<StretchedStep> checkBurst(qsizetype bytes, double writtenMs, const LineSettings &line,
                                        const StepContext &step)
{
    // A step held until STOP cannot be stretched.
    if (step.dwellMs <= 0)
        return std::nullopt;
    const double wireMs = static_cast<double>(bytes) * characterMs(line);
    if (wireMs <= step.dwellMs)
        return std::nullopt;
    return StretchedStep{writtenMs, step.label, wireMs, line.baud, step.dwellMs};
}
