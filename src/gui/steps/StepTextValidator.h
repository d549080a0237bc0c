// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QValidator>

// Keeps an entry field or list to characters a step file can hold: an edit
// or a paste that would bring in any other is refused.
class StepTextValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
