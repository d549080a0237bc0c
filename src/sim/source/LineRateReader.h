// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QByteArray>
#include <QList>
#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

// The instrument's end of a pseudo-terminal cable, read as a real serial
// line delivers: one character per character time, on a thread of its own.
// A pseudo-terminal takes bytes as fast as they come; this makes it slow:
//  - what arrives faster than the line's rate waits here, as in a serial
//    driver's transmit queue of Capacity bytes; once that is full nothing
//    more is read, so the pseudo-terminal fills and the writer backs up;
//  - when the writer flushes its output queue (tcflush), what waits here is
//    dropped, except the character under way, as a UART's driver does;
//  - a rate of 0 is a stalled line: nothing is read at all;
//  - on a socket (a far end standing for a serial server or an instrument
//    on the network), the writer's end of the connection is answered by
//    this end's, once everything before it was read.
// Bytes are handed over with the moment each one has fully arrived.
//
// Only on POSIX systems; elsewhere nothing is ever read.
class LineRateReader
{
public:
    static constexpr int Capacity = 4096;

    // Reads the master side of a pseudo-terminal (not owned, kept open by
    // the caller for the reader's life) at bytesPerSecond.
    LineRateReader(int masterFd, double bytesPerSecond);
    ~LineRateReader();
    LineRateReader(const LineRateReader &) = delete;
    LineRateReader &operator=(const LineRateReader &) = delete;

    void setRate(double bytesPerSecond);

    struct Read
    {
        double ms = 0.0;    // when the writer's bytes were taken in
        qsizetype size = 0; // how many
    };
    struct Arrived
    {
        QByteArray bytes;
        QList<double> ms;  // per byte: when it had fully arrived (clockMs())
        QList<Read> reads; // what was taken in from the writer meanwhile
    };
    // Everything delivered since the last call.
    Arrived take();

    // Bytes dropped by the writer's flushes so far.
    qint64 dropped() const { return m_dropped; }
    // Bytes read from the pseudo-terminal and not yet delivered.
    qint64 inCable() const;

    // The clock of the arrival times: a monotonic clock in milliseconds.
    static double clockMs();

private:
    struct Byte
    {
        char value;
        double startMs;  // leaves the writer's end
        double arriveMs; // has fully arrived
    };

    void run();
    void readSome(double now);
    void deliverDue(double now);
    int waitMs(double now) const;

    const int m_fd;
    std::atomic<double> m_charMs;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_dropped{0};
    mutable std::mutex m_mutex;
    std::deque<Byte> m_cable;  // read, on its way
    double m_lineFreeMs = 0.0; // when the last byte in the cable arrives
    Arrived m_arrived;         // delivered, not yet taken
    bool m_packetMode = false;
    std::atomic<bool> m_ended{false}; // a socket's writer ended its side
    std::thread m_thread;
};
