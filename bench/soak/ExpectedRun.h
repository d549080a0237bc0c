// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// Sequence: every line against the program's own cycle.

#include "soak/FaultExamples.h"

#include <QByteArray>
#include <deque>
#include <vector>

// The lines a run of the program must give, in order: whatever was sent
// before RUN, RUN's two opening commands, the steps round and round, and
// STOP's two closing commands. A step sends its start and stop phase only
// when they differ from the step played before it. STOP cuts the commands
// still queued for the line and, when it cut one short, ends it with a lone
// CR (an empty line) before its own two. Only a few lines ahead are kept,
// so a run of any length costs the same memory.
class ExpectedRun
{
public:
    explicit ExpectedRun(const std::vector<QByteArray> &prelude);

    // STOP was pressed after this many steps had been played.
    void stopAfter(qint64 steps);

    // Checks the next line; true when it ends a step. A line found a little
    // further on counts the ones passed over as skipped; a line found
    // nowhere ahead is unexpected and consumes nothing.
    bool check(const QByteArray &line);

    qint64 steps() const { return m_steps; }
    qint64 skipped() const { return m_skipped; }
    qint64 unexpected() const { return m_unexpected; }
    // Every expected line up to STOP's last one has been seen.
    bool complete();
    qint64 missingAtEnd();
    const Examples &examples() const { return m_examples; }

private:
    struct Expected
    {
        QByteArray text;
        qint64 step; // 0 before the first step
        bool endsStep;
    };
    static constexpr size_t LookAhead = 16;

    void lookAhead();
    void generateStep();

    std::deque<Expected> m_next;
    qint64 m_generated = 0;
    qint64 m_stopAfter = -1;
    bool m_stopGenerated = false;
    bool m_stopCutSeen = false;
    qint64 m_steps = 0, m_skipped = 0, m_unexpected = 0;
    Examples m_examples;
};
