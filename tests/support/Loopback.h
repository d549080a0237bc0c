// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QtGlobal>

// Loopback sockets for the tests that play a serial server (POSIX; elsewhere
// both return -1).
// A listener on 127.0.0.1 with this backlog (0: a full queue after a few
// connections nobody accepts, so that a further connect waits unanswered);
// its port goes to *port. -1 when it cannot listen.
int listenOnLoopback(int backlog, quint16 *port);
// A non-blocking connect to 127.0.0.1:port, left as it stands.
int connectTo(quint16 port);

// A loopback server that never answers: a listener whose queue of
// connections is full of connects nobody accepts, so that a further connect
// waits, as for a host that does not answer. Closed when it goes.
class UnansweringServer
{
public:
    UnansweringServer();
    ~UnansweringServer();
    UnansweringServer(const UnansweringServer &) = delete;
    UnansweringServer &operator=(const UnansweringServer &) = delete;

    bool isListening() const { return m_listener >= 0; }
    quint16 port() const { return m_port; }

private:
    quint16 m_port = 0;
    int m_listener = -1;
    int m_waiting[3] = {-1, -1, -1};
};
