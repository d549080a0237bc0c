// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/ports/LinePace.h"

#include <algorithm>
#include <cmath>

LinePace::LinePace()
{
    m_since.start();
}

void LinePace::setClock(Clock clock)
{
    m_clock = std::move(clock);
    restart();
}

double LinePace::nowMs() const
{
    return m_clock ? m_clock() : static_cast<double>(m_since.nsecsElapsed()) / 1e6;
}

void LinePace::wrote(qint64 bytes)
{
    m_lineFreeAtMs = std::max(m_lineFreeAtMs, nowMs()) + lineTimeMs(bytes, m_characterMs);
}

void LinePace::discarded(bool onTheWay)
{
    m_lineFreeAtMs = nowMs() + (onTheWay ? m_characterMs : 0.0);
}

int LinePace::pendingMs(qint64 queuedBytes) const
{
    const double ms = std::max(m_lineFreeAtMs - nowMs(), lineTimeMs(queuedBytes, m_characterMs));
    // Well under a character's time is rounding, not a byte.
    return ms > 0.05 ? static_cast<int>(std::ceil(ms)) : 0;
}
