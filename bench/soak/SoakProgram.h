// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// The program the soak plays: four steps of one tick each, round and round.

#include "domain/steps/StepRecord.h"

#include <iterator>
#include <vector>

inline constexpr int TickMs = 10;

struct Row
{
    const char *output, *range, *volts, *hertz, *startPhase, *stopPhase;
};
// Step3 repeats Step2's stop phase and Step1 repeats Step4's start phase,
// so the sequencer leaves those commands out (Step1 only from the second
// cycle on).
inline constexpr Row Program[] = {
    {"On", "Auto", "230.00", "50.00", "0.00", "360.00"},
    {"On", "Low", "115.00", "60.00", "90.00", "270.00"},
    {"Off", "High", "207.00", "49.50", "45.00", "270.00"},
    {"On", "Auto", "253.00", "50.50", "0.00", "180.00"},
};
inline constexpr int Rows = int(std::size(Program));

// The program as the step table holds it, each step dwelling one tick.
std::vector<StepRecord> programSteps();
