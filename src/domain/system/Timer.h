// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <functional>

// The sequencer's timer. Interval is 0 to 65,535 ms; 0 means no tick at all.
// Setting Enabled to true, or setting Interval while enabled, starts the
// countdown afresh from that moment; inside the tick handler, from the
// moment the tick was due, so that steps keep their time over a run (the
// real timer catches up a late tick by no more than 2 ms). Ticks arrive on
// the thread the timer lives on: the instrument session's.
class Timer
{
public:
    virtual ~Timer() = default;

    virtual int Interval() const = 0;
    virtual void setInterval(int milliseconds) = 0;
    virtual bool Enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

    std::function<void()> onTick;

    static constexpr int MaxInterval = 65535;
};
