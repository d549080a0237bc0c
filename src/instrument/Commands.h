#pragma once

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
} // namespace Command
