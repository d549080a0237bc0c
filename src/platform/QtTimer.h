#pragma once

#include "platform/Timer.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

// Timer on a precise QTimer. Long periods are waited in pieces of at most
// one second against a deadline, so the tick comes within a millisecond of
// its period over the whole range (a single long precise wait is stretched
// by the kernel's timer slack).
class QtTimer : public QObject, public Timer
{
    Q_OBJECT
public:
    explicit QtTimer(QObject *parent = nullptr);

    int Interval() const override { return m_interval; }
    void setInterval(int milliseconds) override;
    bool Enabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override;

private:
    void restart();
    void armNextPiece();
    void onTimeout();

    QTimer m_timer;
    QDeadlineTimer m_deadline;
    int m_interval = 0;
    bool m_enabled = true;
};
