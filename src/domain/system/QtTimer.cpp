// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/system/QtTimer.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <chrono>
#include <thread>

namespace {
constexpr qint64 NsPerMs = 1000 * 1000;
// Longest single wait: its timer slack stays within a millisecond.
constexpr qint64 MaxWaitMs = 1000;
// A long wait stops this far ahead of the deadline, well beyond its slack...
constexpr qint64 ApproachMs = 15;
// ...so that the last stretch is short and waited in one piece.
constexpr qint64 LastStretchMs = 2 * ApproachMs;
// The last wait ends at least this far ahead of the deadline: the event loop
// may wake up to a millisecond after a wait ends.
constexpr qint64 EarlyNs = 900 * 1000;
} // namespace

QtTimer::QtTimer(QObject *parent) : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &QtTimer::onTimeout);
}

void QtTimer::setInterval(int milliseconds)
{
    m_interval = std::clamp(milliseconds, 0, MaxInterval);
    restart();
}

void QtTimer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    restart();
}

int QtTimer::nextWaitMs(qint64 leftNs)
{
    if (leftNs > LastStretchMs * NsPerMs)
        return static_cast<int>(std::min(MaxWaitMs, leftNs / NsPerMs - ApproachMs));
    if (leftNs <= FinishNs)
        return 0;
    return static_cast<int>((leftNs - EarlyNs) / NsPerMs);
}

qint64 QtTimer::nextDeadlineNs(qint64 tickDeadlineNs, qint64 nowNs, int periodMs)
{
    const qint64 period = qint64(periodMs) * NsPerMs;
    return std::max(tickDeadlineNs + period, nowNs + period - MaxCatchUpNs);
}

qint64 QtTimer::nowNs() const
{
    return clock ? clock() : QDeadlineTimer::current(Qt::PreciseTimer).deadlineNSecs();
}

void QtTimer::restart()
{
    m_resolution.hold(m_enabled && m_interval > 0);
    if (m_inTick) {
        if (m_enabled && m_interval > 0)
            m_deadlineNs = nextDeadlineNs(m_tickDeadlineNs, nowNs(), m_interval);
        return;
    }
    m_timer.stop();
    if (!m_enabled || m_interval == 0)
        return;
    m_deadlineNs = nowNs() + qint64(m_interval) * NsPerMs;
    armNextWait();
}

void QtTimer::armNextWait()
{
    m_timer.start(nextWaitMs(m_deadlineNs - nowNs()));
}

void QtTimer::sleepUntilDeadline()
{
    for (qint64 left = m_deadlineNs - nowNs(); left > 0; left = m_deadlineNs - nowNs()) {
#ifdef Q_OS_UNIX
        std::this_thread::sleep_for(std::chrono::nanoseconds(left));
#else
        // Sleeps elsewhere are rounded to the system's timer tick; the rest
        // is under two milliseconds, so wait it out.
        std::this_thread::yield();
#endif
    }
}

void QtTimer::onTimeout()
{
    if (m_deadlineNs - nowNs() > FinishNs) {
        armNextWait();
        return;
    }
    sleepUntilDeadline();
    // Periodic: unless the handler sets the timer anew, the next period
    // counts from this tick's deadline as well.
    m_tickDeadlineNs = m_deadlineNs;
    m_inTick = true;
    restart();
    if (onTick)
        onTick();
    m_inTick = false;
    if (m_enabled && m_interval > 0)
        armNextWait();
}
