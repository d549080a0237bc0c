// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "soak/ExpectedRun.h"

#include "soak/SoakProgram.h"

#include <algorithm>
#include <cstring>

ExpectedRun::ExpectedRun(const std::vector<QByteArray> &prelude)
{
    for (const QByteArray &line : prelude)
        m_next.push_back({line, 0, false});
    m_next.push_back({":SOUR:TURN OFF", 0, false});
    m_next.push_back({":OUTP ON", 0, false});
}

void ExpectedRun::stopAfter(qint64 steps)
{
    if (m_stopAfter >= 0)
        return;
    m_stopAfter = steps;
    while (!m_next.empty() && m_next.back().step > steps)
        m_next.pop_back();
    m_generated = std::min(m_generated, steps);
}

bool ExpectedRun::check(const QByteArray &line)
{
    lookAhead();
    // The CR that ends a command STOP cut short: once, after STOP.
    if (line.isEmpty() && m_stopAfter >= 0 && !m_stopCutSeen) {
        m_stopCutSeen = true;
        return false;
    }
    for (size_t i = 0; i < m_next.size(); ++i) {
        if (m_next[i].text != line)
            continue;
        if (i > 0) {
            m_skipped += qint64(i);
            m_examples.add(QStringLiteral("expected \"%1\", got \"%2\" (%3 line(s) passed over)")
                               .arg(QString::fromLatin1(m_next[0].text), QString::fromLatin1(line))
                               .arg(i));
        }
        const bool endsStep = m_next[i].endsStep;
        m_next.erase(m_next.begin(), m_next.begin() + qsizetype(i) + 1);
        if (endsStep)
            ++m_steps;
        return endsStep;
    }
    ++m_unexpected;
    m_examples.add(QStringLiteral("unexpected \"%1\" (expected \"%2\")")
                       .arg(QString::fromLatin1(line), m_next.empty() ? QStringLiteral("nothing more")
                                                                      : QString::fromLatin1(m_next[0].text)));
    return false;
}

bool ExpectedRun::complete()
{
    lookAhead();
    return m_stopGenerated && m_next.empty();
}

qint64 ExpectedRun::missingAtEnd()
{
    lookAhead();
    return qint64(m_next.size());
}

void ExpectedRun::lookAhead()
{
    while (m_next.size() < LookAhead && !m_stopGenerated) {
        if (m_stopAfter >= 0 && m_generated >= m_stopAfter) {
            m_next.push_back({":SOUR:TURN OFF", m_generated + 1, false});
            m_next.push_back({":OUTP OFF", m_generated + 1, false});
            m_stopGenerated = true;
        } else {
            generateStep();
        }
    }
}

void ExpectedRun::generateStep()
{
    const int row = int(m_generated % Rows);
    const Row &r = Program[row];
    const Row *previous = m_generated == 0 ? nullptr : &Program[(row + Rows - 1) % Rows];
    const qint64 step = ++m_generated;
    auto add = [&](const char *header, const char *value, bool last = false) {
        m_next.push_back({QByteArray(header) + value, step, last});
    };
    if (!previous || std::strcmp(r.startPhase, previous->startPhase) != 0)
        add(":SOUR:STPH ", r.startPhase);
    if (!previous || std::strcmp(r.stopPhase, previous->stopPhase) != 0)
        add(":SOUR:SPPH ", r.stopPhase);
    add(":SOUR:FREQ ", r.hertz);
    add(":SOUR:RANG ", r.range);
    add(":SOUR:VOLT ", r.volts);
    add(":SOUR:TURN ", r.output, true);
}
