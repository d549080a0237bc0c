// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

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
std::optional<qint32> cyclesFor(QStringView modeText, QStringView cycleFieldText, qint32 previousCycles);
} // namespace RunMode

// What RUN asks of a run: its mode and, for Cycle, the count of cycles.
struct RunRequest
{
    enum class Mode {
        Single,     // one pass
        Continuous, // until STOP
        Cycle,      // cycles passes
        Previous,   // the mode list holds no mode: the last run's count again
    };
    Mode mode = Mode::Single;
    // Cycle: the count, empty when the cycle field holds no number.
    std::optional<qint32> cycles;

    // The request of a mode list's text (compared exactly) and the cycle
    // field's text.
    static RunRequest fromTexts(QStringView modeText, QStringView cycleFieldText);
    // The cycle count of the run: 1, -1, the count, or previousCycles.
    // Empty for Cycle without a count.
    std::optional<qint32> cyclesAfter(qint32 previousCycles) const;
};

// The cycle field's text as a whole number, read in the form the field
// writes it: optional blanks and sign, digits that may be grouped by commas
// ("1,000"), "." as the decimal point, an optional exponent. A fraction goes
// to the nearest whole number, an exact half to the even neighbour. Empty
// when the text is no such number or does not fit 32 bits.
std::optional<qint32> cycleCountFromText(QStringView text);
