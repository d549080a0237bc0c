// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "PtyPair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#if defined(Q_OS_MACOS)
#include <util.h>
#else
#include <pty.h>
#endif
#endif

bool PtyPair::open()
{
#ifdef Q_OS_UNIX
    close();
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        return false;
    termios t{};
    tcgetattr(m_slave, &t);
    cfmakeraw(&t);
    tcsetattr(m_slave, TCSANOW, &t);
    m_name = QString::fromLocal8Bit(name);
    return true;
#else
    return false;
#endif
}

void PtyPair::close()
{
#ifdef Q_OS_UNIX
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
#endif
    m_master = m_slave = -1;
}

void PtyPair::closeFarEnd()
{
#ifdef Q_OS_UNIX
    if (m_master >= 0)
        ::close(m_master);
#endif
    m_master = -1;
}

QByteArray PtyPair::read(int expected, int timeoutMs)
{
    QByteArray data;
#ifdef Q_OS_UNIX
    QDeadlineTimer deadline(timeoutMs);
    do {
        QCoreApplication::processEvents();
        pollfd p{m_master, POLLIN, 0};
        if (m_master >= 0 && ::poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
            char buffer[512];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                data.append(buffer, n);
        }
    } while ((expected < 0 || data.size() < expected) && !deadline.hasExpired());
#else
    Q_UNUSED(expected);
    Q_UNUSED(timeoutMs);
#endif
    return data;
}
