// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QList>
#include <QPointer>
#include <QThread>

class InstrumentSession;

// Runs an instrument session, and the port and timer it works through, on
// a thread of their own at the highest priority the system grants: the
// ticks, the line's pace and the writes then keep their time whatever the
// window's thread is doing (repainting a long table, a modal box, a
// resize). Ending brings them back to the thread that made them, so that
// they are destroyed there as usual.
class SessionThread
{
public:
    // companions: the QObjects the session works through (the port and
    // the timer, where they are QObjects); they must have no parent.
    SessionThread(InstrumentSession &session, const QList<QObject *> &companions);
    ~SessionThread();

    SessionThread(const SessionThread &) = delete;
    SessionThread &operator=(const SessionThread &) = delete;

private:
    InstrumentSession &m_session;
    QList<QObject *> m_moved;
    QThread *m_home;
    QThread m_thread;
};
