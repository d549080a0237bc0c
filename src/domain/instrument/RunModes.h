#pragma once

#include <QStringView>
#include <optional>

// The run modes and the cycle count they give.
namespace RunMode {
inline constexpr char16_t Single[] = u"Single";
inline constexpr char16_t Continuous[] = u"Continuous";
inline constexpr char16_t Cycle[] = u"Cycle";

// The cycle count for a mode text, compared exactly: 1 for "Single", -1 for
// "Continuous", the cycle field's value for "Cycle". Any other text keeps
// the count of the previous run (given as previousCycles). Empty when the
// mode is "Cycle" and the field holds no number.
std::optional<qint32> cyclesFor(QStringView modeText, QStringView cycleFieldText,
                                qint32 previousCycles);
} // namespace RunMode

// The cycle field's text as a whole number, read in the form the field
// writes it: optional blanks and sign, digits that may be grouped by commas
// ("1,000"), "." as the decimal point, an optional exponent. A fraction goes
// to the nearest whole number, an exact half to the even neighbour. Empty
// when the text is no such number or does not fit 32 bits.
std::optional<qint32> cycleCountFromText(QStringView text);
