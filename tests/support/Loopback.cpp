// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "Loopback.h"

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

int listenOnLoopback(int backlog, quint16 *port)
{
#ifdef Q_OS_UNIX
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&a), size) != 0 || ::listen(fd, backlog) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &size) != 0)
        return -1;
    *port = ntohs(a.sin_port);
    return fd;
#else
    Q_UNUSED(backlog);
    Q_UNUSED(port);
    return -1;
#endif
}

int connectTo(quint16 port)
{
#ifdef Q_OS_UNIX
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    return fd;
#else
    Q_UNUSED(port);
    return -1;
#endif
}

UnansweringServer::UnansweringServer() : m_listener(listenOnLoopback(0, &m_port))
{
    if (m_listener >= 0) {
        for (int &fd : m_waiting)
            fd = connectTo(m_port);
    }
}

UnansweringServer::~UnansweringServer()
{
#ifdef Q_OS_UNIX
    for (int fd : m_waiting) {
        if (fd >= 0)
            ::close(fd);
    }
    if (m_listener >= 0)
        ::close(m_listener);
#endif
}
