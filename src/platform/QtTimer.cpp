#include "platform/QtTimer.h"

#include <algorithm>

namespace {
constexpr qint64 NsPerMs = 1000 * 1000;
// Longest single wait: its timer slack stays within a millisecond.
constexpr qint64 MaxWaitMs = 1000;
// A long wait stops this far ahead of the deadline, well beyond its slack...
constexpr qint64 ApproachMs = 15;
// ...so that the last stretch is short, and waited in one piece when it is
// at most this long.
constexpr qint64 LastStretchMs = 2 * ApproachMs;
// A last stretch rounded up to whole milliseconds may end this late.
constexpr qint64 RoundUpAllowanceNs = 100 * 1000;
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
    const qint64 roundedUp = (leftNs + NsPerMs - 1) / NsPerMs;
    if (roundedUp * NsPerMs - leftNs <= RoundUpAllowanceNs)
        return static_cast<int>(roundedUp);
    return static_cast<int>(leftNs / NsPerMs);
}

void QtTimer::restart()
{
    m_timer.stop();
    if (!m_enabled || m_interval == 0)
        return;
    m_deadline = QDeadlineTimer(std::chrono::milliseconds(m_interval), Qt::PreciseTimer);
    armNextWait();
}

void QtTimer::armNextWait()
{
    const qint64 left = m_deadline.remainingTimeNSecs();
    m_timer.start(left > 0 ? nextWaitMs(left) : 0);
}

void QtTimer::onTimeout()
{
    if (!m_deadline.hasExpired()) {
        armNextWait();
        return;
    }
    // Periodic: the next period counts from this tick.
    m_deadline = QDeadlineTimer(std::chrono::milliseconds(m_interval), Qt::PreciseTimer);
    armNextWait();
    if (onTick)
        onTick();
}
