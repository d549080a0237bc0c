#include "sim/WireTiming.h"

#include <algorithm>

double characterMs(const LineSettings &line)
{
    const int bits = 1 + line.dataBits + (line.parity == 'n' ? 0 : 1) + line.stopBits;
    return line.baud > 0 ? bits * 1000.0 / line.baud : 0.0;
}

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
