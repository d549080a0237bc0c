// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "sim/source/LineRateReader.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The far end of a network port on loopback TCP: every connection is read
// at a line's rate by a LineRateReader, as a serial server's line or an
// instrument's own stack takes it, on threads of their own (so a program
// that waits in its own thread for the far end is answered). A connection
// the program ends is answered by ending this side too.
//
// Only on POSIX systems; elsewhere listen() fails.
class SocketFarEnd
{
public:
    explicit SocketFarEnd(double bytesPerSecond);
    ~SocketFarEnd();
    SocketFarEnd(const SocketFarEnd &) = delete;
    SocketFarEnd &operator=(const SocketFarEnd &) = delete;

    // Listens on a free port of 127.0.0.1.
    bool listen();
    quint16 port() const { return m_port; }

    // For every connection, the present and the later ones (0: stalled).
    void setRate(double bytesPerSecond);
    // What arrived on any connection since the last call, in the order the
    // connections came.
    LineRateReader::Arrived take();
    int connections() const;

private:
    void acceptLoop();

    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<double> m_rate;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<int> m_fds;
    std::vector<std::unique_ptr<LineRateReader>> m_readers;
    std::thread m_thread;
};
