// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/steps/FieldRange.h"
#include "domain/ui/MessageBox.h"

class QLineEdit;

namespace ModTool {

// Selects the field's whole text, start to end.
void SelectFieldText(QLineEdit *field);

// Rewrites a good value in the field's format; otherwise shows the range
// message, keeps the text as typed, and gives the focus back to the field
// with its text selected, ready to be typed over.
void CheckFieldRange(QLineEdit *field, double minimum, double maximum, int decimals, MessageBox &messages);
inline void CheckFieldRange(QLineEdit *field, const FieldRange &range, MessageBox &messages)
{
    CheckFieldRange(field, range.minimum, range.maximum, range.decimals, messages);
}

} // namespace ModTool
