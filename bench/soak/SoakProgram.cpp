// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "soak/SoakProgram.h"

std::vector<StepRecord> programSteps()
{
    std::vector<StepRecord> steps;
    for (int i = 0; i < Rows; ++i) {
        const Row &r = Program[i];
        StepRecord s;
        s.checked = true;
        s.label = StepDefaults::label(i + 1);
        for (int field = 0;
             const char *text : {r.output, r.range, r.volts, r.hertz, r.startPhase, r.stopPhase, "0.01"})
            s.values[size_t(field++)] = QString::fromLatin1(text);
        steps.push_back(s);
    }
    return steps;
}
