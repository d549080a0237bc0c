// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/WireTiming.h"

#include <algorithm>

QString lineSettingsText(const LineSettings &line)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(line.baud)
        .arg(line.dataBits)
        .arg(QChar::fromLatin1(line.parity).toUpper())
        .arg(line.stopBits);
}

double WireClock::pass(double writtenMs, double charMs)
{
    m_freeAt = std::max(m_freeAt, writtenMs) + charMs;
    return m_freeAt;
}
