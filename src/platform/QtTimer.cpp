#include "platform/QtTimer.h"

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

void QtTimer::restart()
{
    if (m_inTick) {
        if (m_enabled && m_interval > 0)
            m_deadline = QDeadlineTimer(std::chrono::milliseconds(m_interval), Qt::PreciseTimer);
        return;
    }
    m_timer.stop();
    if (!m_enabled || m_interval == 0)
        return;
    m_deadline = QDeadlineTimer(std::chrono::milliseconds(m_interval), Qt::PreciseTimer);
    armNextWait();
}

void QtTimer::armNextWait()
{
    m_timer.start(nextWaitMs(m_deadline.remainingTimeNSecs()));
}

void QtTimer::sleepUntilDeadline()
{
    for (qint64 left = m_deadline.remainingTimeNSecs(); left > 0;
         left = m_deadline.remainingTimeNSecs()) {
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
    if (m_deadline.remainingTimeNSecs() > FinishNs) {
        armNextWait();
        return;
    }
    sleepUntilDeadline();
    // Periodic: unless the handler sets the timer anew, the next period
    // counts from this tick.
    m_deadline = QDeadlineTimer(std::chrono::milliseconds(m_interval), Qt::PreciseTimer);
    m_inTick = true;
    if (onTick)
        onTick();
    m_inTick = false;
    if (m_enabled && m_interval > 0)
        armNextWait();
}
