// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Fuzzes what Paste reads from the clipboard: the first byte chooses
// spreadsheet text (UTF-8) or this program's own steps (a step file's
// records). Any bytes must read without a fault; accepted rows must hold
// only what Paste may place (the output and range words, numbers in their
// ranges, nothing a step file cannot hold) and must come back unchanged
// through a copy.
#include "domain/files/StepFileFormat.h"
#include "domain/steps/StepRowsText.h"
#include "domain/steps/StepText.h"
#include "domain/steps/StepWords.h"

#include <cstdint>
#include <cstdlib>

namespace {
bool holdable(const QString &text)
{
    for (const QChar c : text)
        if (!StepText::fileCanHold(c.unicode()))
            return false;
    return true;
}

void checkAccepted(const std::vector<StepRecord> &rows)
{
    for (const StepRecord &r : rows) {
        if (!holdable(r.label))
            std::abort();
        for (int field = 1; field <= StepRecord::FieldCount; ++field) {
            const QString &value = r.subItem(field);
            const QStringList &words = StepWords::of(field);
            if (!holdable(value) || (!words.isEmpty() && !StepWords::allows(words, value)))
                std::abort();
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0 || size > 1 << 16)
        return 0;
    const bool ownSteps = data[0] & 1;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    const StepRowsText::Pasted pasted = ownSteps ? StepRowsText::parseSteps(StepFileFormat::parse(bytes))
                                                 : StepRowsText::parse(QString::fromUtf8(bytes));
    if (!pasted.error.isEmpty()) {
        if (!pasted.rows.empty() || pasted.errorLine < 1)
            std::abort();
        return 0;
    }
    checkAccepted(pasted.rows);

    // A copy of the accepted rows pastes back as it went, ticks included in
    // the program's own form.
    std::vector<StepRecord> labelled = pasted.rows;
    for (StepRecord &r : labelled)
        if (r.label.isEmpty())
            r.label = QStringLiteral("Step1");
    const StepRowsText::Pasted again = StepRowsText::parseSteps(
        StepFileFormat::parse(StepFileFormat::format(labelled)));
    if (!again.error.isEmpty() || again.rows != labelled)
        std::abort();
    const StepRowsText::Pasted text = StepRowsText::parse(StepRowsText::format(labelled));
    if (!text.error.isEmpty() || text.rows.size() != labelled.size())
        std::abort();
    return 0;
}
