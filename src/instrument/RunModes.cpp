#include "instrument/RunModes.h"

#include "instrument/SequencerCore.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
}

std::optional<qint32> cycleCountFromText(QStringView text)
{
    text = text.trimmed();
    std::string number;
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            number.push_back('-');
        ++i;
    }

    qsizetype digits = 0;
    while (i < n) {
        if (isDigit(text[i])) {
            number.push_back(static_cast<char>(text[i++].unicode()));
            ++digits;
        } else if (text[i] == u',' && digits > 0 && i + 1 < n && isDigit(text[i + 1])) {
            ++i; // a group separator between digits: ignored
        } else {
            break;
        }
    }
    if (i < n && text[i] == u'.') {
        number.push_back('.');
        ++i;
        while (i < n && isDigit(text[i])) {
            number.push_back(static_cast<char>(text[i++].unicode()));
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        number.push_back('e');
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            number.push_back(static_cast<char>(text[i++].unicode()));
        qsizetype exponentDigits = 0;
        while (i < n && isDigit(text[i])) {
            number.push_back(static_cast<char>(text[i++].unicode()));
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;

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
