// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/steps/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

QString numberText(double value)
{
    if (std::isnan(value))
        return QStringLiteral(" NaN");
    const char sign = std::signbit(value) && value != 0.0 ? '-' : ' ';
    const double magnitude = std::fabs(value);
    if (std::isinf(magnitude))
        return QString(QLatin1Char(sign)) + QStringLiteral("Inf");

    char buffer[64];
    // %.7G gives at most seven significant digits; trim what it pads.
    std::snprintf(buffer, sizeof buffer, "%.7G", magnitude);
    std::string text = buffer;
    const size_t exponentAt = text.find('E');
    std::string mantissa = exponentAt == std::string::npos ? text : text.substr(0, exponentAt);
    std::string exponent = exponentAt == std::string::npos ? std::string() : text.substr(exponentAt);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0')
            mantissa.pop_back();
        if (!mantissa.empty() && mantissa.back() == '.')
            mantissa.pop_back();
    }
    if (mantissa.size() > 1 && mantissa[0] == '0' && mantissa[1] == '.')
        mantissa.erase(0, 1);
    if (!exponent.empty()) {
        // "E-05" -> "E-05" is what a reader expects; keep the sign, drop zero padding to two.
        const char expSign = exponent.size() > 1 ? exponent[1] : '+';
        std::string digits = exponent.substr(2);
        while (digits.size() > 2 && digits[0] == '0')
            digits.erase(0, 1);
        exponent = std::string("E") + expSign + digits;
    }
    return QString(QLatin1Char(sign)) + QString::fromLatin1(mantissa + exponent);
}

QString fixedText(double value, int decimals)
{
    if (!std::isfinite(value))
        return numberText(value).trimmed();
    decimals = std::max(0, std::min(decimals, 15));
    const double scale = std::pow(10.0, decimals);
    // Round the decimal value as shown: nudge by a relative epsilon so that a
    // value such as 0.125 written as 0.12499999... still rounds as its text reads.
    double scaled = std::fabs(value) * scale;
    scaled = std::round(scaled * (1.0 + 4 * std::numeric_limits<double>::epsilon()));
    const bool negative = value < 0 && scaled != 0.0;

    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", scaled);
    std::string digits = buffer;
    if (static_cast<int>(digits.size()) <= decimals)
        digits.insert(0, static_cast<size_t>(decimals + 1 - static_cast<int>(digits.size())), '0');
    std::string whole = digits.substr(0, digits.size() - static_cast<size_t>(decimals));
    const std::string fraction = digits.substr(whole.size());

    std::string grouped;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            grouped.push_back(',');
        grouped.push_back(whole[i]);
    }
    std::string text = (negative ? "-" : "") + grouped;
    if (decimals > 0)
        text += "." + fraction;
    return QString::fromLatin1(text);
}
