// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "guard/Release.h"

#ifndef _WIN32
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <termios.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/sockios.h>
#endif

namespace {
using Clock = std::chrono::steady_clock;

#ifdef MSG_NOSIGNAL
constexpr int NoSigPipe = MSG_NOSIGNAL;
#else
constexpr int NoSigPipe = 0;
#endif

int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void sleepMs(int ms)
{
    timespec wait{ms / 1000, (ms % 1000) * 1000000L};
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

// All of the text, waiting for room (the port may be non-blocking) until the deadline.
bool writeAll(int fd, const std::string &text, bool socket, Clock::time_point deadline)
{
    const char *at = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = socket ? ::send(fd, at, left, NoSigPipe) : ::write(fd, at, left);
        if (n > 0) {
            at += n;
            left -= size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        const int wait = msLeft(deadline);
        if (wait == 0)
            return false;
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, wait);
    }
    return true;
}

extern "C" void onAlarm(int) {}

// tcdrain, cut short by an alarm at the deadline (a line held by flow
// control never drains).
bool drainBefore(int fd, Clock::time_point deadline)
{
    struct sigaction action
    {};
    action.sa_handler = onAlarm;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, nullptr); // no SA_RESTART: tcdrain returns
    const int ms = std::max(1, msLeft(deadline));
    itimerval timer{};
    timer.it_value.tv_sec = ms / 1000;
    timer.it_value.tv_usec = (ms % 1000) * 1000;
    ::setitimer(ITIMER_REAL, &timer, nullptr);
    const bool drained = ::tcdrain(fd) == 0;
    timer = {};
    ::setitimer(ITIMER_REAL, &timer, nullptr);
    return drained;
}

bool releaseSerial(const HeldPort &port, Clock::time_point deadline)
{
    // What the program still had queued is dropped; the leading CR ends a
    // command cut short.
    ::tcflush(port.fd, TCOFLUSH);
    return writeAll(port.fd, port.bytes, false, deadline) && drainBefore(port.fd, deadline);
}

// Bytes sent that the peer has not acknowledged yet; -1 when unknown.
int unacknowledged(int fd)
{
    int queued = 0;
#if defined(SIOCOUTQ)
    if (::ioctl(fd, SIOCOUTQ, &queued) == 0)
        return queued;
#elif defined(TIOCOUTQ)
    if (::ioctl(fd, TIOCOUTQ, &queued) == 0)
        return queued;
#endif
    return -1;
}

// What the server sends is read and dropped: unread bytes would make the
// close a reset, and a reset drops what the server has not taken yet.
// True when the server has closed its side.
bool readAndDrop(int fd)
{
    char sink[256];
    for (;;) {
        const ssize_t n = ::recv(fd, sink, sizeof sink, MSG_DONTWAIT);
        if (n == 0)
            return true;
        if (n < 0)
            return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
    }
}

bool releaseSocket(const HeldPort &port, Clock::time_point deadline)
{
    if (!writeAll(port.fd, port.prefix + port.bytes, true, deadline))
        return false;
    bool acknowledged = false;
    for (int queued; !(acknowledged = (queued = unacknowledged(port.fd)) == 0);) {
        if (queued < 0 || msLeft(deadline) == 0)
            break;
        readAndDrop(port.fd);
        sleepMs(2);
    }
    // A serial server puts the bytes on its line after taking them; it may
    // drop what it has not sent yet once the connection ends.
    if (acknowledged && port.holdMs > 0)
        sleepMs(std::min(port.holdMs, msLeft(deadline)));
    readAndDrop(port.fd);
    ::shutdown(port.fd, SHUT_WR);
    // A short wait for the server's own close.
    const Clock::time_point closeBy = std::min(deadline, Clock::now() + std::chrono::milliseconds(500));
    for (int wait; !readAndDrop(port.fd) && (wait = msLeft(closeBy)) > 0;) {
        pollfd p{port.fd, POLLIN, 0};
        ::poll(&p, 1, wait);
    }
    return acknowledged;
}
} // namespace

bool releasePort(const HeldPort &port, int deadlineMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(deadlineMs);
    switch (port.kind) {
    case GuardProtocol::Kind::Serial: return ::isatty(port.fd) && releaseSerial(port, deadline);
    case GuardProtocol::Kind::Socket: return releaseSocket(port, deadline);
    case GuardProtocol::Kind::None: break;
    }
    return false;
}

std::string portName(const HeldPort &port)
{
    if (port.kind == GuardProtocol::Kind::Serial) {
        const char *name = ::ttyname(port.fd);
        return name ? name : "the serial port";
    }
    if (port.kind == GuardProtocol::Kind::Socket) {
        sockaddr_storage peer{};
        socklen_t size = sizeof peer;
        char host[INET6_ADDRSTRLEN] = {};
        if (::getpeername(port.fd, reinterpret_cast<sockaddr *>(&peer), &size) == 0) {
            if (peer.ss_family == AF_INET) {
                const auto *a = reinterpret_cast<const sockaddr_in *>(&peer);
                ::inet_ntop(AF_INET, &a->sin_addr, host, sizeof host);
                return "tcp://" + std::string(host) + ":" + std::to_string(ntohs(a->sin_port));
            }
            if (peer.ss_family == AF_INET6) {
                const auto *a = reinterpret_cast<const sockaddr_in6 *>(&peer);
                ::inet_ntop(AF_INET6, &a->sin6_addr, host, sizeof host);
                return "tcp://[" + std::string(host) + "]:" + std::to_string(ntohs(a->sin6_port));
            }
        }
        return "the network port";
    }
    return "no port";
}

#endif
