// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>

// What the virtual AC source is set to. It starts as a real one powers up:
// local operation, relay open, output off, 0 V.
struct SourceState
{
    bool remote = false;
    bool relay = false;  // :OUTP, the output relay
    bool output = false; // :SOUR:TURN, the generator itself
    QString range = QStringLiteral("Auto");
    double volts = 0.0;
    double hertz = 60.0;
    double startPhase = 0.0;
    double stopPhase = 360.0;

    // The voltage at the terminals: nothing unless both relay and output are on.
    double outputVolts() const { return relay && output ? volts : 0.0; }

    friend bool operator==(const SourceState &, const SourceState &) = default;
};
