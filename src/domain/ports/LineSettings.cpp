// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/ports/LineSettings.h"

#include <QStringList>

std::optional<LineSettings> parseLineSettings(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    bool okBaud = false, okData = false, okStop = false;
    LineSettings s;
    s.baud = parts[0].trimmed().toInt(&okBaud);
    const QString parity = parts[1].trimmed().toLower();
    s.dataBits = parts[2].trimmed().toInt(&okData);
    s.stopBits = parts[3].trimmed().toInt(&okStop);
    if (!okBaud || !okData || !okStop || s.baud <= 0 || parity.size() != 1
        || !QStringLiteral("noems").contains(parity) || s.dataBits < 5 || s.dataBits > 8
        || (s.stopBits != 1 && s.stopBits != 2))
        return std::nullopt;
    s.parity = parity.at(0).toLatin1();
    return s;
}

double characterMs(const LineSettings &line)
{
    const int bits = 1 + line.dataBits + (line.parity == 'n' ? 0 : 1) + line.stopBits;
    return line.baud > 0 ? bits * 1000.0 / line.baud : 0.0;
}

double characterMs(const QString &settings)
{
    return characterMs(parseLineSettings(settings).value_or(LineSettings{}));
}

double lineTimeMs(qint64 characters, double characterMs)
{
    return static_cast<double>(characters) * characterMs;
}
