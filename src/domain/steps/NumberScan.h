// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QChar>
#include <QtGlobal>
#include <string>

// The one scanner behind every number the program reads from text: the
// lenient value parse, the cycle count field and the step file's check
// state. It reads [sign] digits [. digits] [exponent] from a start position
// and leaves judging what follows to its caller.
namespace NumberScan {

struct Options
{
    bool groupCommas = false; // "1,000": a comma between two digits of the whole part is skipped
    bool exponentD = false;   // "D" (either case) marks an exponent as "E" does
};

struct Number
{
    qsizetype end = 0;    // just past the number, or past its mantissa when the exponent is bad
    qsizetype digits = 0; // digits of the mantissa, before and after the point
    bool negative = false;
    bool nonZero = false;     // a mantissa digit other than 0
    bool badExponent = false; // an exponent letter without digits after it
    std::string text;         // unsigned, "." and "e" only: what std::from_chars reads
};

inline char16_t unit(char c)
{
    return static_cast<unsigned char>(c);
}
inline char16_t unit(QChar c)
{
    return c.unicode();
}
inline bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

template <typename Text>
Number scan(const Text &text, qsizetype i, Options options = {})
{
    Number number;
    const qsizetype n = static_cast<qsizetype>(text.size());
    auto at = [&](qsizetype k) { return unit(text[k]); };
    if (i < n && (at(i) == u'+' || at(i) == u'-')) {
        number.negative = at(i) == u'-';
        ++i;
    }
    auto digit = [&](char16_t c) {
        number.text.push_back(static_cast<char>(c));
        number.nonZero = number.nonZero || c != u'0';
        ++number.digits;
    };
    while (i < n) {
        if (isDigit(at(i)))
            digit(at(i++));
        else if (options.groupCommas && at(i) == u',' && number.digits > 0 && i + 1 < n && isDigit(at(i + 1)))
            ++i; // a group separator between digits: ignored
        else
            break;
    }
    if (i < n && at(i) == u'.') {
        number.text.push_back('.');
        ++i;
        while (i < n && isDigit(at(i)))
            digit(at(i++));
    }
    number.end = i;
    if (number.digits == 0)
        return number;
    if (i < n) {
        const char16_t c = at(i);
        const bool marker = c == u'e' || c == u'E' || (options.exponentD && (c == u'd' || c == u'D'));
        if (marker) {
            std::string exponent = "e";
            qsizetype p = i + 1;
            if (p < n && (at(p) == u'+' || at(p) == u'-'))
                exponent.push_back(static_cast<char>(at(p++)));
            qsizetype exponentDigits = 0;
            while (p < n && isDigit(at(p))) {
                exponent.push_back(static_cast<char>(at(p++)));
                ++exponentDigits;
            }
            if (exponentDigits == 0) {
                number.badExponent = true;
            } else {
                number.text += exponent;
                number.end = p;
            }
        }
    }
    return number;
}

} // namespace NumberScan
