// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/SessionThread.h"

#include "domain/instrument/InstrumentSession.h"
#include "domain/system/ThreadPriority.h"

SessionThread::SessionThread(InstrumentSession &session, const QList<QObject *> &companions)
    : m_session(session), m_home(QThread::currentThread())
{
    m_thread.setObjectName(QStringLiteral("instrument session"));
    m_moved << &session;
    for (QObject *object : companions) {
        if (object)
            m_moved << object;
    }
    for (QObject *object : m_moved)
        object->moveToThread(&m_thread);
    // Where the system grants it, a real-time class; otherwise Qt's highest.
    QObject::connect(
        &m_thread, &QThread::started, &m_thread, [] { raiseThreadToRealTime(); }, Qt::DirectConnection);
    m_thread.start(QThread::TimeCriticalPriority);
}

SessionThread::~SessionThread()
{
    // An object can only be handed over by the thread it lives in.
    m_session.onSessionThread([this] {
        for (QObject *object : m_moved)
            object->moveToThread(m_home);
    });
    m_thread.quit();
    m_thread.wait();
}
