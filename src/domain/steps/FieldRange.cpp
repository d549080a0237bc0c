// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/steps/FieldRange.h"

#include "domain/steps/LenientNumber.h"
#include "domain/steps/NumberText.h"

namespace ModTool {

QString rangeMessage(double minimum, double maximum)
{
    return numberText(minimum) + QStringLiteral(" to ") + numberText(maximum) + QStringLiteral(" only!");
}

FieldCheck judgeFieldText(QStringView text, double minimum, double maximum, int decimals)
{
    const double value = lenientNumber(text);
    // Written so that a NaN, should one ever appear, is out of range too.
    if (!(value >= minimum && value <= maximum))
        return {false, {}, rangeMessage(minimum, maximum)};
    return {true, fixedText(value, decimals), {}};
}

} // namespace ModTool
