// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/LineSettings.h"

#include <QElapsedTimer>
#include <functional>

// The pace of a line at its baud rate, as every port counts it: bytes
// written cannot have left sooner than one character's time each after the
// line was last free, and what a queue still holds needs its own line time.
// A port tells it what it wrote and dropped; it answers how long the line
// is still busy.
class LinePace
{
public:
    // The clock the line's rate is counted on, in milliseconds; a monotonic
    // real-time clock unless a run on a virtual clock gives its own.
    using Clock = std::function<double()>;

    LinePace();

    void setClock(Clock clock);
    void setSettings(const LineSettings &line) { m_characterMs = ::characterMs(line); }
    double characterMs() const { return m_characterMs; }
    double nowMs() const;

    // The line is free now: the port was opened.
    void restart() { m_lineFreeAtMs = nowMs(); }
    // Bytes handed on: they leave after what was written before.
    void wrote(qint64 bytes);
    // The queue was dropped; the character on the line when it went, if one
    // was, still completes.
    void discarded(bool onTheWay);
    // Whole milliseconds until the line has carried what was written and
    // what a queue of that many bytes still holds; 0 when it has.
    int pendingMs(qint64 queuedBytes) const;

private:
    double m_characterMs = 10000.0 / 9600;
    double m_lineFreeAtMs = 0.0; // when the bytes written so far can have left, at the earliest
    QElapsedTimer m_since;
    Clock m_clock;
};
