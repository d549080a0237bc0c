// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/LineRateReader.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#ifdef Q_OS_UNIX // the virtual source reads a pseudo-terminal: POSIX only (on Windows it runs on --tcp)
#include <cerrno>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {
double charMsFor(double bytesPerSecond)
{
    return bytesPerSecond > 0 ? 1000.0 / bytesPerSecond : 0.0; // 0: stalled
}
} // namespace

double LineRateReader::clockMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

LineRateReader::LineRateReader(int masterFd, double bytesPerSecond)
    : m_fd(masterFd), m_charMs(charMsFor(bytesPerSecond))
{
#ifdef Q_OS_UNIX // the virtual source reads a pseudo-terminal: POSIX only (on Windows it runs on --tcp)
    // Packet mode tells this end when the writer flushes its output.
    int on = 1;
    m_packetMode = ::ioctl(m_fd, TIOCPKT, &on) == 0;
    m_thread = std::thread([this] { run(); });
#endif
}

LineRateReader::~LineRateReader()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
#ifdef Q_OS_UNIX // the virtual source reads a pseudo-terminal: POSIX only (on Windows it runs on --tcp)
    if (m_packetMode) {
        int off = 0;
        ::ioctl(m_fd, TIOCPKT, &off);
    }
#endif
}

void LineRateReader::setRate(double bytesPerSecond)
{
    m_charMs = charMsFor(bytesPerSecond);
}

LineRateReader::Arrived LineRateReader::take()
{
    std::lock_guard lock(m_mutex);
    Arrived out;
    std::swap(out, m_arrived);
    return out;
}

qint64 LineRateReader::inCable() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<qint64>(m_cable.size());
}

void LineRateReader::run()
{
#ifdef Q_OS_UNIX // the virtual source reads a pseudo-terminal: POSIX only (on Windows it runs on --tcp)
    // A flush must be seen when it happens, not when a busy machine gets
    // round to this thread: real-time priority where allowed.
    sched_param param{};
    param.sched_priority = 10;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    while (!m_stop) {
        const double now = clockMs();
        deliverDue(now);
        const double charMs = m_charMs;
        const bool room = charMs > 0 && inCable() < Capacity;
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, room && !m_ended ? 1 : 0, waitMs(now));
        if (ready > 0 && (p.revents & POLLIN))
            readSome(clockMs());
        else if (ready > 0 && (p.revents & (POLLHUP | POLLERR)))
            ::usleep(2000); // no writer at the moment: wait for one
    }
#endif
}

int LineRateReader::waitMs(double now) const
{
    std::lock_guard lock(m_mutex);
    if (m_cable.empty())
        return 2;
    const double until = m_cable.front().arriveMs - now;
    return std::clamp(static_cast<int>(std::ceil(until)), 0, 2);
}

void LineRateReader::readSome(double now)
{
#ifdef Q_OS_UNIX // the virtual source reads a pseudo-terminal: POSIX only (on Windows it runs on --tcp)
    if (m_charMs <= 0)
        return; // stalled meanwhile
    char buffer[512];
    const size_t room = static_cast<size_t>(std::max<qint64>(1, Capacity - inCable()));
    const ssize_t n = ::read(m_fd, buffer, std::min(sizeof buffer, room + (m_packetMode ? 1 : 0)));
    if (n == 0 && !m_packetMode) {
        // The writer ended its side of a connection: what was sent is all
        // in, and this end closes its side too, as a server does.
        m_ended = true;
        ::shutdown(m_fd, SHUT_WR);
        return;
    }
    if (n <= 0)
        return;
    const char *data = buffer;
    ssize_t size = n;
    std::lock_guard lock(m_mutex);
    if (m_packetMode) {
        const unsigned char status = static_cast<unsigned char>(buffer[0]);
        ++data;
        --size;
        if (status & TIOCPKT_FLUSHWRITE) {
            // The writer dropped its queue: so does the line, except the
            // character being sent.
            const auto firstUnsent = std::find_if(m_cable.begin(), m_cable.end(),
                                                  [now](const Byte &b) { return b.startMs > now; });
            m_dropped += static_cast<qint64>(m_cable.end() - firstUnsent);
            m_cable.erase(firstUnsent, m_cable.end());
            m_lineFreeMs = m_cable.empty() ? std::min(m_lineFreeMs, now) : m_cable.back().arriveMs;
        }
        if (status != TIOCPKT_DATA)
            return; // a status report carries no data
    }
    if (size > 0)
        m_arrived.reads.append({now, static_cast<qsizetype>(size)});
    const double charMs = m_charMs;
    for (ssize_t i = 0; i < size; ++i) {
        const double start = std::max(m_lineFreeMs, now);
        m_lineFreeMs = start + charMs;
        m_cable.push_back({data[i], start, m_lineFreeMs});
    }
#else
    Q_UNUSED(now);
#endif
}

void LineRateReader::deliverDue(double now)
{
    std::lock_guard lock(m_mutex);
    while (!m_cable.empty() && m_cable.front().arriveMs <= now) {
        m_arrived.bytes.append(m_cable.front().value);
        m_arrived.ms.append(m_cable.front().arriveMs);
        m_cable.pop_front();
    }
}
