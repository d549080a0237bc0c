// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/SocketFarEnd.h"

#ifdef Q_OS_UNIX // a far end for the POSIX tests and the demo's pty cable; not built into a Windows program
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

SocketFarEnd::SocketFarEnd(double bytesPerSecond) : m_rate(bytesPerSecond) {}

SocketFarEnd::~SocketFarEnd()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_readers.clear();
#ifdef Q_OS_UNIX // a far end for the POSIX tests and the demo's pty cable; not built into a Windows program
    for (int fd : m_fds)
        ::close(fd);
    if (m_listener >= 0)
        ::close(m_listener);
#endif
}

bool SocketFarEnd::listen()
{
#ifdef Q_OS_UNIX // a far end for the POSIX tests and the demo's pty cable; not built into a Windows program
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), size) != 0 || ::listen(m_listener, 8) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &size) != 0)
        return false;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { acceptLoop(); });
    return true;
#else
    return false;
#endif
}

void SocketFarEnd::acceptLoop()
{
#ifdef Q_OS_UNIX // a far end for the POSIX tests and the demo's pty cable; not built into a Windows program
    while (!m_stop) {
        pollfd p{m_listener, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard lock(m_mutex);
        m_fds.push_back(fd);
        m_readers.push_back(std::make_unique<LineRateReader>(fd, m_rate.load()));
    }
#endif
}

void SocketFarEnd::setRate(double bytesPerSecond)
{
    std::lock_guard lock(m_mutex);
    m_rate = bytesPerSecond;
    for (const auto &reader : m_readers)
        reader->setRate(bytesPerSecond);
}

LineRateReader::Arrived SocketFarEnd::take()
{
    std::lock_guard lock(m_mutex);
    LineRateReader::Arrived all;
    for (const auto &reader : m_readers) {
        LineRateReader::Arrived a = reader->take();
        all.bytes += a.bytes;
        all.ms += a.ms;
        all.reads += a.reads;
    }
    return all;
}

int SocketFarEnd::connections() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_readers.size());
}
