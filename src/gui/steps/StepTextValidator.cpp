// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/steps/StepTextValidator.h"

#include "domain/steps/StepText.h"

QValidator::State StepTextValidator::validate(QString &input, int &) const
{
    // Surrogates lie beyond Latin-1 too, so UTF-16 units can be judged alone.
    for (const QChar c : input)
        if (!StepText::fileCanHold(c.unicode()))
            return Invalid;
    return Acceptable;
}
