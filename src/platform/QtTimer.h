#pragma once

#include "platform/Timer.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

// Timer on a precise QTimer, armed against a deadline so that the tick comes
// within a millisecond of its period over the whole range:
//  - a single long wait is stretched by the kernel's timer slack (about 0.1 %
//    of it), so long periods are waited in pieces of at most one second that
//    stop short of the deadline, and the last stretch is a short wait;
//  - the event loop rounds each wait up to a whole millisecond, counted from
//    whenever it last woke (after a repaint, a serial write...), so the last
//    wait ends about a millisecond early and the remaining fraction, under
//    two milliseconds, is slept on the window's thread.
// The tick never comes before its deadline.
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

private:
    void restart();
    void armNextWait();
    void onTimeout();
    void sleepUntilDeadline();

    QTimer m_timer;
    QDeadlineTimer m_deadline;
    int m_interval = 0;
    bool m_enabled = true;
    // While the tick handler runs, changes only move the deadline; the
    // underlying timer is armed once when the handler returns.
    bool m_inTick = false;
};
