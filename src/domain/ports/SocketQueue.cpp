// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/ports/SocketQueue.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <cstring>

#if defined(Q_OS_WIN)
#include <winsock2.h>
// after winsock2.h, which they need
#include <mstcpip.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <linux/sockios.h>
#endif

qint64 unacknowledgedBytes(qintptr socket)
{
#if defined(Q_OS_LINUX)
    int queued = 0;
    if (socket >= 0 && ::ioctl(static_cast<int>(socket), SIOCOUTQ, &queued) == 0)
        return queued;
#elif defined(Q_OS_WIN) && defined(SIO_TCP_INFO)
    // Windows 10 (1703) and later: the bytes sent and not yet acknowledged.
    // Older systems refuse the request, and the line's pace alone counts.
    DWORD version = 0;
    TCP_INFO_v0 info{};
    DWORD returned = 0;
    if (socket >= 0
        && WSAIoctl(static_cast<SOCKET>(socket), SIO_TCP_INFO, &version, sizeof version, &info, sizeof info,
                    &returned, nullptr, nullptr)
               == 0
        && returned >= sizeof info)
        return qint64(info.BytesInFlight);
#else
    Q_UNUSED(socket);
#endif
    return -1;
}

bool shutdownSending(qintptr socket)
{
    if (socket < 0)
        return false;
#if defined(Q_OS_WIN)
    return ::shutdown(static_cast<SOCKET>(socket), SD_SEND) == 0;
#else
    return ::shutdown(static_cast<int>(socket), SHUT_WR) == 0;
#endif
}

qintptr connectInSlices(const QHostAddress &address, quint16 port, int timeoutMs, int sliceMs,
                        const std::function<bool()> &giveUp, QString *why)
{
#if defined(Q_OS_WIN)
    Q_UNUSED(why);
    Q_UNUSED(address);
    Q_UNUSED(port);
    Q_UNUSED(timeoutMs);
    Q_UNUSED(sliceMs);
    Q_UNUSED(giveUp);
    return NoSlicedConnect;
#else
    sockaddr_storage storage{};
    socklen_t size = 0;
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto *in = reinterpret_cast<sockaddr_in *>(&storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(address.toIPv4Address());
        size = sizeof *in;
    } else if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, bytes.c, sizeof bytes.c);
        in6->sin6_scope_id = address.scopeId().toUInt();
        size = sizeof *in6;
    } else {
        return -1;
    }
    const int fd = ::socket(storage.ss_family, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    const auto fail = [fd, why](int error, const QString &timedOut = {}) {
        if (why)
            *why = !timedOut.isEmpty()     ? timedOut
                   : error == ECONNREFUSED ? QStringLiteral("connection refused")
                   : error == ENETUNREACH || error == EHOSTUNREACH
                       ? QStringLiteral("no route to the host")
                       : QString::fromLocal8Bit(std::strerror(error));
        ::close(fd);
        return qintptr(-1);
    };
    if (::connect(fd, reinterpret_cast<sockaddr *>(&storage), size) != 0 && errno != EINPROGRESS)
        return fail(errno);
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        pollfd p{fd, POLLOUT, 0};
        const int slice = static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 0, sliceMs));
        const int ready = ::poll(&p, 1, slice);
        if (ready > 0) {
            int error = 0;
            socklen_t length = sizeof error;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
                return fail(error != 0 ? error : errno);
            return fd;
        }
        if (ready < 0 && errno != EINTR)
            return fail(errno);
        if (deadline.hasExpired())
            return fail(0, QStringLiteral("no answer within %1 s").arg(timeoutMs / 1000.0));
        if (giveUp && giveUp())
            return fail(0, QStringLiteral("given up"));
    }
#endif
}

void closeSocket(qintptr socket)
{
    if (socket < 0)
        return;
#if defined(Q_OS_WIN)
    ::closesocket(static_cast<SOCKET>(socket));
#else
    ::close(static_cast<int>(socket));
#endif
}
