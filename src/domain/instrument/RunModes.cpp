// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/RunModes.h"

#include "domain/instrument/SequencerCore.h"
#include "domain/steps/NumberScan.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

std::optional<qint32> cycleCountFromText(QStringView text)
{
    text = text.trimmed();
    const NumberScan::Number scanned = NumberScan::scan(text, 0, {.groupCommas = true, .exponentD = false});
    if (scanned.digits == 0 || scanned.badExponent || scanned.end != text.size())
        return std::nullopt;
    const std::string number = scanned.negative ? "-" + scanned.text : scanned.text;

    // from_chars reads "." as the point whatever the system's number settings.
    double parsed = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (error != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    const double value = roundHalfToEven(parsed);
    if (!(value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return static_cast<qint32>(value);
}

std::optional<qint32> RunMode::cyclesFor(QStringView modeText, QStringView cycleFieldText,
                                         qint32 previousCycles)
{
    return RunRequest::fromTexts(modeText, cycleFieldText).cyclesAfter(previousCycles);
}

RunRequest RunRequest::fromTexts(QStringView modeText, QStringView cycleFieldText)
{
    if (modeText == QStringView(RunMode::Single))
        return {Mode::Single, {}};
    if (modeText == QStringView(RunMode::Continuous))
        return {Mode::Continuous, {}};
    if (modeText == QStringView(RunMode::Cycle))
        return {Mode::Cycle, cycleCountFromText(cycleFieldText)};
    return {Mode::Previous, {}};
}

std::optional<qint32> RunRequest::cyclesAfter(qint32 previousCycles) const
{
    switch (mode) {
    case Mode::Single: return 1;
    case Mode::Continuous: return -1;
    case Mode::Cycle: return cycles;
    case Mode::Previous: break;
    }
    return previousCycles;
}
