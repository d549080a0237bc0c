// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QByteArray>
#include <QString>

// The instrument's command headers, exact to the final blank. A command on
// the wire is its header, its argument and one CR.
namespace Command {
inline const QString Reset = QStringLiteral("*RST");
inline const QString Turn = QStringLiteral(":SOUR:TURN ");
inline const QString OutputRelay = QStringLiteral(":OUTP ");
inline const QString Range = QStringLiteral(":SOUR:RANG ");
inline const QString Voltage = QStringLiteral(":SOUR:VOLT ");
inline const QString Frequency = QStringLiteral(":SOUR:FREQ ");
inline const QString StartPhase = QStringLiteral(":SOUR:STPH ");
inline const QString StopPhase = QStringLiteral(":SOUR:SPPH ");
inline const QString Local = QStringLiteral(":SYST:LOC ");
inline const QString Remote = QStringLiteral(":SYST:REM ");

inline const QString On = QStringLiteral("ON");
inline const QString Off = QStringLiteral("OFF");

inline constexpr QChar Terminator = QChar(13);

// What a crash under remote operation leaves on the line: a CR that ends
// any command cut short, then the close path's three commands.
inline QByteArray crashRelease()
{
    const QString cr = Terminator;
    return (cr + Turn + Off + cr + OutputRelay + Off + cr + Local + cr).toLatin1();
}
} // namespace Command
