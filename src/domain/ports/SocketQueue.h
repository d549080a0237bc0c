// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QHostAddress>
#include <QtGlobal>
#include <functional>

// What a TCP connection's own stack can tell about the bytes sent on it,
// and a connect that can be given up: the one place with system calls on a
// socket, so that the rest of the program stays portable.

// Bytes sent and not yet acknowledged by the far end's stack (Linux:
// SIOCOUTQ; Windows 10 1703 and later: SIO_TCP_INFO's bytes in flight, which
// leave out what the stack has not sent yet). -1 where the system does not
// say.
qint64 unacknowledgedBytes(qintptr socket);

// Ends the sending direction in order (a FIN after the last byte) and
// keeps receiving. Returns false when that cannot be done.
bool shutdownSending(qintptr socket);

// Connects a new TCP socket to address:port, watching the connect in
// slices of sliceMs: it ends when connected, refused, after timeoutMs, or
// at the first slice after giveUp() holds ("given up"). Returns the connected socket
// (non-blocking, for the caller to own), -1 when it did not connect, or
// NoSlicedConnect where the system offers no such connect (then the caller
// waits in one piece). When it did not connect, why says why in a few
// words ("connection refused", "no answer within 3 s").
constexpr qintptr NoSlicedConnect = -2;
qintptr connectInSlices(const QHostAddress &address, quint16 port, int timeoutMs, int sliceMs,
                        const std::function<bool()> &giveUp, QString *why = nullptr);

// Closes a socket no one else owns.
void closeSocket(qintptr socket);
