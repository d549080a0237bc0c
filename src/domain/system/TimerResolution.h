// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// The system timer's finest resolution, held while a timer ticks. On Windows
// the scheduler's clock runs at 15.6 ms unless a program asks for 1 ms
// (timeBeginPeriod), and every wait is rounded to it: a 10 ms step would be
// held 15.6 ms. Elsewhere the timers are fine already and this does nothing.
// Holding is counted per object: hold(true) twice asks once.
class TimerResolution
{
public:
    TimerResolution() = default;
    ~TimerResolution() { hold(false); }
    TimerResolution(const TimerResolution &) = delete;
    TimerResolution &operator=(const TimerResolution &) = delete;

    void hold(bool fine);
    bool held() const { return m_held; }

private:
    bool m_held = false;
};
