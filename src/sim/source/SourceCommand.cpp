// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/SourceCommand.h"

#include <QRegularExpression>
#include <optional>

namespace {

enum class Header { Reset, Turn, Relay, Range, Volts, Hertz, StartPhase, StopPhase, Local, Remote };

std::optional<Header> headerOf(const QByteArray &token)
{
    static const struct
    {
        const char *text;
        Header header;
    } table[] = {
        {"*RST", Header::Reset},
        {":SOUR:TURN", Header::Turn},
        {":OUTP", Header::Relay},
        {":SOUR:RANG", Header::Range},
        {":SOUR:VOLT", Header::Volts},
        {":SOUR:FREQ", Header::Hertz},
        {":SOUR:STPH", Header::StartPhase},
        {":SOUR:SPPH", Header::StopPhase},
        {":SYST:LOC", Header::Local},
        {":SYST:REM", Header::Remote},
    };
    for (const auto &entry : table)
        if (token.compare(entry.text, Qt::CaseInsensitive) == 0)
            return entry.header;
    return std::nullopt;
}

// A decimal number as instruments take it: sign, digits, point, exponent.
// Nothing else: no decimal comma, no units, no "inf".
std::optional<double> numberOf(const QByteArray &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!pattern.match(QString::fromLatin1(text)).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<bool> switchOf(const QByteArray &text)
{
    if (text.compare("ON", Qt::CaseInsensitive) == 0 || text == "1")
        return true;
    if (text.compare("OFF", Qt::CaseInsensitive) == 0 || text == "0")
        return false;
    return std::nullopt;
}

std::optional<QString> rangeOf(const QByteArray &text)
{
    for (const char *name : {"Auto", "Low", "High"})
        if (text.compare(name, Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(name);
    return std::nullopt;
}

QString setNumber(const QByteArray &argument, double low, double high, const QString &tooLow,
                  const QString &tooHigh, double &target)
{
    if (argument.isEmpty())
        return QStringLiteral("missing value");
    const auto value = numberOf(argument);
    if (!value)
        return QStringLiteral("not a number");
    if (*value < low)
        return tooLow;
    if (*value > high)
        return tooHigh;
    target = *value;
    return {};
}

QString setPhase(const QByteArray &argument, double &target)
{
    const QString outside = QStringLiteral("phase outside 0 to 360 degrees");
    return setNumber(argument, 0.0, SourceLimits::MaxPhase, outside, outside, target);
}

} // namespace

QString executeLine(const QByteArray &line, SourceState &state)
{
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return {};
    const qsizetype blank = trimmed.indexOf(' ');
    const QByteArray token = blank < 0 ? trimmed : trimmed.left(blank);
    const QByteArray argument = blank < 0 ? QByteArray() : trimmed.mid(blank + 1).trimmed();

    const auto header = headerOf(token);
    if (!header)
        return QStringLiteral("unknown header");

    switch (*header) {
    case Header::Reset:
    case Header::Local:
    case Header::Remote:
        if (!argument.isEmpty())
            return QStringLiteral("unexpected argument");
        if (*header == Header::Reset) {
            const bool remote = state.remote;
            state = SourceState{};
            state.remote = remote;
        } else {
            state.remote = *header == Header::Remote;
        }
        return {};
    case Header::Turn:
    case Header::Relay: {
        if (argument.isEmpty())
            return QStringLiteral("missing value");
        const auto on = switchOf(argument);
        if (!on)
            return QStringLiteral("not ON or OFF");
        (*header == Header::Turn ? state.output : state.relay) = *on;
        return {};
    }
    case Header::Range: {
        if (argument.isEmpty())
            return QStringLiteral("missing value");
        const auto range = rangeOf(argument);
        if (!range)
            return QStringLiteral("range not AUTO, LOW or HIGH");
        state.range = *range;
        return {};
    }
    case Header::Volts:
        return setNumber(argument, 0.0, SourceLimits::MaxVolts, QStringLiteral("negative voltage"),
                         QStringLiteral("voltage above 310 V"), state.volts);
    case Header::Hertz: {
        const QString outside = QStringLiteral("frequency outside 40 to 500 Hz");
        return setNumber(argument, SourceLimits::MinHertz, SourceLimits::MaxHertz, outside, outside,
                         state.hertz);
    }
    case Header::StartPhase: return setPhase(argument, state.startPhase);
    case Header::StopPhase: return setPhase(argument, state.stopPhase);
    }
    return QStringLiteral("unknown header");
}
