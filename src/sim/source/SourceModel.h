// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/LineSettings.h"
#include "sim/source/LineFramer.h"
#include "sim/source/SourceState.h"
#include "sim/source/WireTiming.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <deque>
#include <optional>

// One line as the instrument received it, with the time its last byte
// arrived (milliseconds on the session's clock) and the instrument's error
// for a line it did not understand.
struct ReceivedLine
{
    double ms = 0.0;
    QByteArray text;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// A received line for the screen: its bytes as Latin-1, control
// characters as \xNN.
QString displayText(const QByteArray &bytes);

// The virtual AC source without any window: bytes in, state and a
// transcript out. Bytes are timed by the line they travel on; a line is
// carried out when its last byte has arrived, so the state at a given time
// is what a real instrument would have at that time.
class SourceModel
{
public:
    // Bytes the program wrote, first seen at writtenMs, on a line with these
    // settings.
    void receive(const QByteArray &bytes, double writtenMs, const LineSettings &line);
    // Bytes a line has already delivered, each with its arrival.
    void receiveArrived(const QByteArray &bytes, const QList<double> &arrivedMs, const LineSettings &line);

    // Carries out, in order, every line that has arrived by nowMs, and
    // returns them.
    QList<ReceivedLine> advanceTo(double nowMs);
    QList<ReceivedLine> advanceToEnd();

    // When the next received line will have arrived, if one is on its way.
    std::optional<double> nextDue() const;
    // When the last byte handed over will have arrived.
    double lineFreeAt() const { return m_wire.freeAt(); }

    const SourceState &state() const { return m_state; }
    const LineSettings &line() const { return m_line; }
    int errorCount() const { return m_errorCount; }

    // Every line carried out, oldest first; the oldest are dropped once
    // there are more than the limit (0: no limit).
    const std::deque<ReceivedLine> &transcript() const { return m_transcript; }
    void setTranscriptLimit(size_t limit) { m_limit = limit; }

private:
    ReceivedLine carryOut(ReceivedLine line);

    SourceState m_state;
    LineSettings m_line;
    WireClock m_wire;
    LineFramer m_framer;
    std::deque<ReceivedLine> m_pending;
    std::deque<ReceivedLine> m_transcript;
    size_t m_limit = 0;
    int m_errorCount = 0;
};
