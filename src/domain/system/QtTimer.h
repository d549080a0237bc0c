// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/system/Timer.h"
#include "domain/system/TimerResolution.h"

#include <QObject>
#include <QTimer>

#include <functional>

// Timer on a precise QTimer, armed against a deadline so that the tick comes
// within a millisecond of its period over the whole range:
//  - a single long wait is stretched by the kernel's timer slack (about 0.1 %
//    of it), so long periods are waited in pieces of at most one second that
//    stop short of the deadline, and the last stretch is a short wait;
//  - the event loop rounds each wait up to a whole millisecond, counted from
//    whenever it last woke (after a repaint, a serial write...), so the last
//    wait ends about a millisecond early and the remaining fraction, under
//    two milliseconds, is slept on the timer's thread.
// The tick never comes before its deadline.
//
// A period set while the tick handler runs counts from that tick's deadline,
// not from when the handler got to it, so the wake-up and the handler's work
// do not add up over a run. A late tick is caught up by at most MaxCatchUpNs:
// after a longer delay the next period is, to within that, counted from now.
class QtTimer : public QObject, public Timer
{
    Q_OBJECT
public:
    explicit QtTimer(QObject *parent = nullptr);

    int Interval() const override { return m_interval; }
    void setInterval(int milliseconds) override;
    bool Enabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override;

    // How long the event loop waits next, in whole milliseconds, when the
    // deadline is leftNs nanoseconds away. 0 when the rest is short enough
    // to be slept on the thread (see FinishNs).
    static int nextWaitMs(qint64 leftNs);
    static constexpr qint64 FinishNs = 1900 * 1000;

    // The most a step is shortened to catch up a late tick.
    static constexpr qint64 MaxCatchUpNs = 2 * 1000 * 1000;

    // The clock the deadlines are kept on, in nanoseconds: the monotonic
    // clock unless a test sets its own. deadlineNs() is the next tick's.
    std::function<qint64()> clock;
    qint64 deadlineNs() const { return m_deadlineNs; }
    // Whether the system timer's finest resolution is held (while it ticks).
    bool holdsFineResolution() const { return m_resolution.held(); }

private:
    // The deadline of the tick that follows one due at tickDeadlineNs when
    // a period of periodMs is set at nowNs during that tick.
    static qint64 nextDeadlineNs(qint64 tickDeadlineNs, qint64 nowNs, int periodMs);
    qint64 nowNs() const;
    void restart();
    void armNextWait();
    void onTimeout();
    void sleepUntilDeadline();

    QTimer m_timer{this}; // a child: it moves to another thread with the timer
    qint64 m_deadlineNs = 0;
    int m_interval = 0;
    bool m_enabled = true;
    // While the tick handler runs, changes only move the deadline (counted
    // from m_tickDeadlineNs); the underlying timer is armed once when the
    // handler returns.
    bool m_inTick = false;
    qint64 m_tickDeadlineNs = 0;
    // The system's finest timer resolution while the timer ticks (a run).
    TimerResolution m_resolution;
};
