// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// Rows, bytes and paths shared by the step file tests.

#include "domain/steps/StepRecord.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace StepFileTestData {

// A row from its check state and its eight texts (label, then the values).
inline StepRecord row(bool checked, const QStringList &texts)
{
    StepRecord r;
    r.checked = checked;
    r.label = texts.value(0);
    for (int i = 0; i < StepRecord::FieldCount; ++i)
        r.values[size_t(i)] = texts.value(i + 1);
    return r;
}

// The row of a new step with the given label.
inline StepRecord defaultRow(const QString &label)
{
    return StepRecord::makeDefault(label);
}

// The bytes of the one-step example file: count line, one record line.
inline QByteArray exampleFile()
{
    return QByteArray(" 1 \r\nTrue\tStep1\tOn\tAuto\t110.00\t60.00\t0.00\t360.00\t1.00\t\r\n");
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A path whose file cannot be created by anyone, root included: its folder
// is a regular file.
inline QString pathUnderAFile(const QDir &dir)
{
    const QString blocker = dir.filePath(QStringLiteral("not-a-folder"));
    writeBytes(blocker, "x");
    return blocker + QStringLiteral("/program.log");
}

// The path of name in dir; for "fifo" and "oversized", a named pipe with
// no writer or a sparse file one byte over the limit made there. Empty
// where this system has no named pipes.
inline QString notAProgram(const QDir &dir, const QString &name, qint64 limit)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (name == QLatin1String("oversized"))
        return file.open(QIODevice::WriteOnly) && file.resize(limit + 1) ? path : QString();
#ifdef Q_OS_UNIX
    if (name == QLatin1String("fifo"))
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 ? path : QString();
#endif
    return name == QLatin1String("fifo") ? QString() : path;
}

} // namespace StepFileTestData
