#include "instrument/RunModes.h"

#include "instrument/SequencerCore.h"
#include "steps/NumberScan.h"

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
    if (modeText == QStringView(Single))
        return 1;
    if (modeText == QStringView(Continuous))
        return -1;
    if (modeText == QStringView(Cycle))
        return cycleCountFromText(cycleFieldText);
    return previousCycles;
}
