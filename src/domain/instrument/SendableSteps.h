// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <optional>

class StepTableModel;
struct StepRecord;

// What a checked step would put on the wire, judged before a run starts:
// the texts go out as they stand, so a text holding a control character or
// a ";", ":" or "*" would send something else than one command, and a voltage,
// frequency or phase beyond what the editor accepts would drive the source
// where the operator could not have set it. An output or range word other
// than the instrument's (in any letter case) would be rejected by it and
// leave the source as it was.
struct UnsendableValue
{
    int position = 0;                  // 1-based row; 0 when every checked row can be sent
    int field = 0;                     // the value's sub-item
    std::optional<char32_t> character; // the character that cannot be sent; none when out of range
    double minimum = 0;                // the range the value is outside of
    double maximum = 0;
    bool badWord = false;   // an output or range that is none of its words
    bool notNumber = false; // a voltage, frequency or phase that is no number as written
};

UnsendableValue firstUnsendableValue(const StepTableModel &steps);
// The same for one row at a position, checked or not.
UnsendableValue unsendableValueOf(const StepRecord &row, int position);

// "Step3 (row 3): the voltage \"99999\" is outside 0 to 310. The program was not run."
// "Step3 (row 3): the output \"banana\" is not On or Off. The program was not run."
// "Step3 (row 3): the voltage \"1,5\" is not a number as the instrument reads
// one (digits, a point, an exponent). The program was not run."
QString unsendableValueMessage(const StepRecord &row, const UnsendableValue &bad);
// The message's first sentence alone.
QString unsendableValueText(const StepRecord &row, const UnsendableValue &bad);
