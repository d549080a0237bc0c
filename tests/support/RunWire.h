// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// Steps for the run tests and what they put on the wire, with or without a
// window.

#include "domain/steps/StepRecord.h"

#include <QString>

struct StepSpec
{
    bool checked = true;
    QString dwell = QStringLiteral("1.00");
    QString startPhase = QStringLiteral("0.00");
    QString stopPhase = QStringLiteral("360.00");
    QString voltage = QStringLiteral("110.00");
};

inline StepRecord stepRecord(int number, const StepSpec &spec)
{
    StepRecord r = StepRecord::makeDefault(StepDefaults::label(number));
    r.checked = spec.checked;
    r.subItem(StepRecord::WorkTime) = spec.dwell;
    r.subItem(StepRecord::StartPhase) = spec.startPhase;
    r.subItem(StepRecord::StopPhase) = spec.stopPhase;
    r.subItem(StepRecord::Voltage) = spec.voltage;
    return r;
}

// The wire text of one played step with the default values.
inline QString stepWire(const QString &phases, const QString &voltage = QStringLiteral("110.00"))
{
    return phases + QStringLiteral(":SOUR:FREQ 60.00\r:SOUR:RANG Auto\r:SOUR:VOLT ") + voltage
           + QStringLiteral("\r:SOUR:TURN On\r");
}

inline const QString RunStart = QStringLiteral(":SOUR:TURN OFF\r:OUTP ON\r");
inline const QString RunEnd = QStringLiteral(":SOUR:TURN OFF\r:OUTP OFF\r");
inline const QString BothPhases = QStringLiteral(":SOUR:STPH 0.00\r:SOUR:SPPH 360.00\r");
