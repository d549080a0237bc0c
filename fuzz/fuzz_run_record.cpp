// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Fuzzes the run record reader that --report uses: any bytes in the CSV
// file must read without a fault, never make up more steps or rows than
// the file has lines, and give every step a held time that is known
// (0 or more) or marked unknown (-1).
#include "domain/programs/RunRecordFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        std::abort();
    file.close();

    QString error;
    const std::optional<RecordedRun> run = readRunRecord(path, &error);
    if (!run)
        return error.isEmpty() ? (std::abort(), 0) : 0;
    const auto lines = std::count(data, data + size, uint8_t('\n'))
                       + std::count(data, data + size, uint8_t('\r')) + 1;
    if (run->rows > lines || run->steps.size() > lines || run->strayLines > lines)
        std::abort();
    for (const RecordedStep &step : run->steps)
        if (step.heldMs < -1)
            std::abort();
    (void)recordedTimeline(*run);
    return 0;
}
