#include "platform/QtTimer.h"

#include <algorithm>

namespace {
constexpr qint64 MaxPieceMs = 1000;
}

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

void QtTimer::restart()
{
    m_timer.stop();
    if (!m_enabled || m_interval == 0)
        return;
    m_deadline = QDeadlineTimer(m_interval, Qt::PreciseTimer);
    armNextPiece();
}

void QtTimer::armNextPiece()
{
    const qint64 left = std::max<qint64>(0, m_deadline.remainingTime());
    m_timer.start(static_cast<int>(std::min(left, MaxPieceMs)));
}

void QtTimer::onTimeout()
{
    if (!m_deadline.hasExpired()) {
        armNextPiece();
        return;
    }
    // Periodic: the next period counts from this tick, as a plain timer does.
    m_deadline = QDeadlineTimer(m_interval, Qt::PreciseTimer);
    armNextPiece();
    if (onTick)
        onTick();
}
