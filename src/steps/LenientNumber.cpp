#include "steps/LenientNumber.h"

#include <QString>
#include <charconv>
#include <limits>
#include <string>

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }

double radixValue(const std::string &s, size_t pos, int radix)
{
    double value = 0;
    for (; pos < s.size(); ++pos) {
        const char c = s[pos];
        int digit = -1;
        if (isDigit(c))
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

    size_t pos = 0;
    std::string number;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-'))
        number.push_back(s[pos++]);
    size_t digits = 0;
    while (pos < s.size() && isDigit(s[pos])) {
        number.push_back(s[pos++]);
        ++digits;
    }
    if (pos < s.size() && s[pos] == '.') {
        number.push_back(s[pos++]);
        while (pos < s.size() && isDigit(s[pos])) {
            number.push_back(s[pos++]);
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E' || s[pos] == 'd' || s[pos] == 'D')) {
        std::string exponent = "e";
        size_t p = pos + 1;
        if (p < s.size() && (s[p] == '+' || s[p] == '-'))
            exponent.push_back(s[p++]);
        size_t expDigits = 0;
        while (p < s.size() && isDigit(s[p])) {
            exponent.push_back(s[p++]);
            ++expDigits;
        }
        if (expDigits > 0)
            number += exponent;
    }
    // from_chars is locale-independent ("." only) but takes no "+" sign.
    const bool negative = number[0] == '-';
    const size_t start = (number[0] == '+' || number[0] == '-') ? 1 : 0;
    double value = 0.0;
    const char *first = number.data() + start;
    const char *last = number.data() + number.size();
    const auto result = std::from_chars(first, last, value);
    if (result.ec == std::errc::result_out_of_range) {
        const bool tiny = number.find("e-") != std::string::npos;
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}
