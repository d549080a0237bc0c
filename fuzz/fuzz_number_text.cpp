// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Fuzzes the lenient number parse and the number formats built on it: any
// text must parse without a fault, and every finite value must format into
// text that reads back as (nearly) the same number.
#include "domain/steps/LenientNumber.h"
#include "domain/steps/NumberText.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data),
                                             static_cast<qsizetype>(size));
    const double value = lenientNumber(text);

    const QString shown = numberText(value);
    if (shown.isEmpty() || (shown.at(0) != QLatin1Char(' ') && shown.at(0) != QLatin1Char('-')))
        std::abort();

    for (int decimals : {0, 2}) {
        const QString fixed = fixedText(value, decimals);
        if (!std::isfinite(value) || std::fabs(value) > 1e15)
            continue;
        // Grouping commas are for the eye; without them the text reads back.
        const double back = lenientNumber(QString(fixed).remove(QLatin1Char(',')));
        const double tolerance = 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + std::fabs(value) * 1e-12;
        if (std::fabs(back - value) > tolerance)
            std::abort();
    }
    return 0;
}
