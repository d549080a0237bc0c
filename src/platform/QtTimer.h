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
//  - the event loop rounds every wait up to a whole millisecond, so a last
//    stretch that does not end close to a millisecond boundary is waited
//    short and the remaining fraction passed on zero-length turns of the
//    event loop.
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

    // How long the underlying timer waits next, in whole milliseconds, when
    // the deadline is leftNs nanoseconds away (leftNs > 0). 0 means one turn
    // of the event loop.
    static int nextWaitMs(qint64 leftNs);

private:
    void restart();
    void armNextWait();
    void onTimeout();

    QTimer m_timer;
    QDeadlineTimer m_deadline;
    int m_interval = 0;
    bool m_enabled = true;
};
