// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <QStringView>

// The numbers the operator types: voltage, frequency, phases, dwell time
// and the cycle count. Each field has a closed range and a fixed number of
// decimals in which a good value is written back.
struct FieldRange
{
    double minimum;
    double maximum;
    int decimals;
};

namespace FieldRanges {
inline constexpr FieldRange Voltage{0, 310, 2};
inline constexpr FieldRange Frequency{40, 500, 2};
inline constexpr FieldRange StartPhase{0, 360, 2};
inline constexpr FieldRange StopPhase{0, 360, 2};
inline constexpr FieldRange WorkTime{0.01, 65.53, 2};
inline constexpr FieldRange CycleTime{1, 9999, 0};
} // namespace FieldRanges

namespace ModTool {

// Caption of the out-of-range message.
inline const QString RangeErrorCaption = QStringLiteral("Error!!");

// " 0 to  310 only!": both bounds in number-text form.
QString rangeMessage(double minimum, double maximum);

// What a range check makes of a field's text. The value is judged as
// parsed, before any rounding, so 309.996 passes a 310 maximum (and shows
// as 310.00) while 310.004 does not.
struct FieldCheck
{
    bool inRange = false;
    QString text;    // the field's new text when in range
    QString message; // the message to show when not
};
FieldCheck judgeFieldText(QStringView text, double minimum, double maximum, int decimals);

} // namespace ModTool
