// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Fuzzes the step file reader: any bytes must read without a fault, never
// make up more rows than the file has lines, and what was read must write
// and read back unchanged.
#include "domain/files/StepFileFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {
bool hasLineBreakOrTab(const QString &text)
{
    return text.contains(QLatin1Char('\t')) || text.contains(QLatin1Char('\r'))
           || text.contains(QLatin1Char('\n'));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::vector<StepRecord> rows = StepFileFormat::parse(bytes);

    // One row per line after the count line, at most.
    const auto lineBreaks = std::count_if(bytes.begin(), bytes.end(),
                                          [](char c) { return c == '\r' || c == '\n'; });
    if (rows.size() > size_t(lineBreaks) + 1 || rows.capacity() > 2 * (size_t(lineBreaks) + 1))
        std::abort();

    for (const StepRecord &r : rows) {
        if (hasLineBreakOrTab(r.label))
            std::abort();
        for (const QString &v : r.values)
            if (hasLineBreakOrTab(v))
                std::abort();
    }

    // Every cell came from Latin-1 bytes, so the written file holds it whole.
    const QByteArray written = StepFileFormat::format(rows);
    if (StepFileFormat::parse(written) != rows)
        std::abort();
    if (StepFileFormat::format(StepFileFormat::parse(written)) != written)
        std::abort();
    return 0;
}
