// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/steps/LenientNumber.h"

#include "domain/steps/NumberScan.h"

#include <QString>
#include <charconv>
#include <limits>
#include <string>

namespace {
double radixValue(const std::string &s, size_t pos, int radix)
{
    double value = 0;
    for (; pos < s.size(); ++pos) {
        const char c = s[pos];
        int digit = -1;
        if (NumberScan::isDigit(NumberScan::unit(c)))
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= radix)
            break;
        value = value * radix + digit;
    }
    return value;
}
} // namespace

double lenientNumber(QStringView text)
{
    // Keep only the characters a number can be made of; a character outside
    // Latin-1 ends the number anyway, so it becomes a stop mark.
    std::string s;
    s.reserve(static_cast<size_t>(text.size()));
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == u' ' || u == u'\t' || u == u'\n')
            continue;
        s.push_back(u < 0x80 ? static_cast<char>(u) : '\x01');
    }

    if (s.size() >= 2 && s[0] == '&') {
        const char kind = static_cast<char>(s[1] | 0x20);
        if (kind == 'h')
            return radixValue(s, 2, 16);
        if (kind == 'o')
            return radixValue(s, 2, 8);
    }

    const NumberScan::Number number = NumberScan::scan(s, 0, {.groupCommas = false, .exponentD = true});
    if (number.digits == 0)
        return 0.0;
    // from_chars is locale-independent ("." only) and reads the unsigned text.
    double value = 0.0;
    const char *first = number.text.data();
    const char *last = number.text.data() + number.text.size();
    const auto result = std::from_chars(first, last, value);
    if (result.ec == std::errc::result_out_of_range) {
        const bool tiny = number.text.find("e-") != std::string::npos;
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return number.negative ? -value : value;
}
