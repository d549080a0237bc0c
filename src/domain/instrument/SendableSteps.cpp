// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/SendableSteps.h"

#include "domain/steps/FieldRange.h"
#include "domain/steps/LenientNumber.h"
#include "domain/steps/StepTableModel.h"
#include "domain/steps/StepText.h"
#include "domain/steps/StepWords.h"

namespace {
struct SentValue
{
    StepRecord::Field field;
    const char *name;
    const FieldRange *range; // nullptr: any value
};

// The values a played step sends, with the editor's range for the numbers.
const SentValue SentValues[] = {
    {StepRecord::Output, "output", nullptr},
    {StepRecord::Range, "range", nullptr},
    {StepRecord::Voltage, "voltage", &FieldRanges::Voltage},
    {StepRecord::Frequency, "frequency", &FieldRanges::Frequency},
    {StepRecord::StartPhase, "start phase", &FieldRanges::StartPhase},
    {StepRecord::StopPhase, "stop phase", &FieldRanges::StopPhase},
};

QString characterText(char32_t c)
{
    if (c < 32)
        return QStringLiteral("the control character ") + QString::number(static_cast<uint>(c));
    return QStringLiteral("\"") + QString::fromUcs4(&c, 1) + QStringLiteral("\"");
}
} // namespace

UnsendableValue unsendableValueOf(const StepRecord &row, int position)
{
    for (const SentValue &sent : SentValues) {
        const QString &text = row.subItem(sent.field);
        if (const auto c = StepText::firstUnsendable(text))
            return {position, sent.field, c, 0, 0};
        if (const QStringList &words = StepWords::of(sent.field); !words.isEmpty()) {
            if (!StepWords::allows(words, text))
                return {position, sent.field, std::nullopt, 0, 0, true};
            continue;
        }
        if (!sent.range)
            continue;
        // Sent as written: a text read leniently as a value in range
        // would still reach the instrument as it stands.
        if (!StepText::isInstrumentNumber(text))
            return {position, sent.field, std::nullopt, 0, 0, false, true};
        const double value = lenientNumber(text);
        // Written so that a NaN is outside too.
        if (!(value >= sent.range->minimum && value <= sent.range->maximum))
            return {position, sent.field, std::nullopt, sent.range->minimum, sent.range->maximum};
    }
    return {};
}

UnsendableValue firstUnsendableValue(const StepTableModel &steps)
{
    for (int position = 1; position <= steps.count(); ++position) {
        const StepRecord &row = steps.row(position);
        if (!row.checked)
            continue;
        if (const UnsendableValue bad = unsendableValueOf(row, position); bad.position)
            return bad;
    }
    return {};
}

QString unsendableValueMessage(const StepRecord &row, const UnsendableValue &bad)
{
    return unsendableValueText(row, bad) + QStringLiteral(" The program was not run.");
}

QString unsendableValueText(const StepRecord &row, const UnsendableValue &bad)
{
    QString name;
    for (const SentValue &sent : SentValues)
        if (sent.field == bad.field)
            name = QLatin1String(sent.name);
    QString text = row.label + QStringLiteral(" (row ") + QString::number(bad.position)
                   + QStringLiteral("): the ") + name;
    if (bad.character)
        text += QStringLiteral(" holds ") + characterText(*bad.character)
                + QStringLiteral(", which cannot be sent to the instrument.");
    else if (bad.notNumber)
        text += QStringLiteral(" \"") + row.subItem(bad.field)
                + QStringLiteral(
                    "\" is not a number as the instrument reads one (digits, a point, an exponent).");
    else if (bad.badWord)
        text += QStringLiteral(" \"") + row.subItem(bad.field) + QStringLiteral("\" is not ")
                + StepWords::listed(StepWords::of(bad.field)) + QStringLiteral(".");
    else
        text += QStringLiteral(" \"") + row.subItem(bad.field) + QStringLiteral("\" is outside ")
                + QString::number(bad.minimum) + QStringLiteral(" to ") + QString::number(bad.maximum)
                + QStringLiteral(".");
    return text;
}
