// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/system/Timer.h"

#include <QObject>
#include <optional>

// The sequencer's timer on a virtual clock, for dry runs: it ticks when the
// caller says the time has come, so a run of minutes plays in an instant
// with exactly the timing the real timer gives. Same rules as the real one:
// setting Interval or Enabled restarts the countdown from the clock's
// current time, and each tick starts the next period. A QObject so that it
// moves to the session's thread with the session: nextTick() and fire() are
// carried out there, the caller waiting.
class VirtualTimer : public QObject, public Timer
{
public:
    explicit VirtualTimer(const double &clockMs) : m_clock(clockMs) {}

    int Interval() const override { return m_interval; }
    void setInterval(int milliseconds) override;
    bool Enabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override;

    // When the next tick is due; none while disabled or with period 0.
    std::optional<double> nextTick() const;
    // Delivers the tick due now (the caller has moved the clock there).
    void fire();

private:
    std::optional<double> due() const;
    void restart();

    const double &m_clock;
    int m_interval = 0;
    bool m_enabled = true;
    double m_due = 0.0;
};
