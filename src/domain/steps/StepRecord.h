// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <array>

// One step of the program: a label, a check flag and seven value texts.
// Values stay text from entry to file to wire; whoever needs a number
// parses the text when it needs it.
struct StepRecord
{
    // Sub-item numbers of the seven values (1-based, as the table addresses them).
    enum Field { Output = 1, Range, Voltage, Frequency, StartPhase, StopPhase, WorkTime };
    static constexpr int FieldCount = 7;

    bool checked = false;
    QString label;
    std::array<QString, FieldCount> values;

    const QString &subItem(int n) const { return values[static_cast<size_t>(n - 1)]; }
    QString &subItem(int n) { return values[static_cast<size_t>(n - 1)]; }

    friend bool operator==(const StepRecord &, const StepRecord &) = default;

    // A new step: ticked, with the default values (StepDefaults::values())
    // and the given label. Without a label the table names it from its
    // step counter when it goes in.
    static StepRecord makeDefault(const QString &label = QString());
};

namespace StepDefaults {
// The values of a new step, sub-items 1 to 7.
inline const std::array<QString, StepRecord::FieldCount> &values()
{
    static const std::array<QString, StepRecord::FieldCount> defaults = {
        QStringLiteral("On"),   QStringLiteral("Auto"),   QStringLiteral("110.00"), QStringLiteral("60.00"),
        QStringLiteral("0.00"), QStringLiteral("360.00"), QStringLiteral("1.00")};
    return defaults;
}

inline QString label(qint32 number)
{
    return QStringLiteral("Step") + QString::number(number);
}
} // namespace StepDefaults

inline StepRecord StepRecord::makeDefault(const QString &label)
{
    return {true, label, StepDefaults::values()};
}
