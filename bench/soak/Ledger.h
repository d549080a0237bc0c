// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// Transport: what the window wrote against what the source received.

#include "soak/FaultExamples.h"

#include <QByteArray>
#include <QString>
#include <deque>
#include <functional>
#include <map>

// Line by line: a line overtaken by a later one is held aside; if it turns
// up after all it was reordered, if not it was lost. A received line nobody
// sent is extra.
class Ledger
{
public:
    void sent(const QByteArray &line) { m_inFlight.push_back({m_sent++, line}); }
    void received(const QByteArray &line);

    qint64 sentCount() const { return m_sent; }
    qint64 receivedCount() const { return m_received; }
    size_t inFlight() const { return m_inFlight.size(); }
    // Sent and never received (counted once the source has caught up).
    qint64 lost() const { return m_forgotten + qint64(m_overtaken.size() + m_inFlight.size()); }
    qint64 reordered() const { return m_reordered; }
    qint64 extra() const { return m_extra; }
    const Examples &examples() const { return m_examples; }

private:
    struct Sent
    {
        qint64 number;
        QByteArray text;
    };
    static constexpr size_t Window = 64;
    static constexpr size_t MaxOvertaken = 10000;

    // Keeps a broken run's bookkeeping bounded: the oldest overtaken lines
    // are given up as lost.
    void forgetOldest();

    std::deque<Sent> m_inFlight;
    std::map<qint64, QByteArray> m_overtaken;
    qint64 m_sent = 0, m_received = 0, m_reordered = 0, m_extra = 0, m_forgotten = 0;
    Examples m_examples;
};

// Splits what the window's port took into lines.
class LineSplitter
{
public:
    explicit LineSplitter(std::function<void(const QByteArray &)> onLine) : m_onLine(std::move(onLine)) {}
    void operator()(const QString &text);

private:
    std::function<void(const QByteArray &)> m_onLine;
    QByteArray m_partial;
};
