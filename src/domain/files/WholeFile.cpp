// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/files/WholeFile.h"

#include "domain/system/FileIdentity.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

namespace {
bool writeInPlace(const QString &path, const QByteArray &bytes, QString &error)
{
    QFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size()
                    && file.flush();
    error = file.errorString();
    return ok && file.error() == QFileDevice::NoError;
}
} // namespace

bool writeWholeFile(const QString &path, const QByteArray &bytes, QString &error)
{
    // Renaming over a device would remove the device (/dev/full).
    const QFileInfo target(path);
    if (target.exists() && !target.isDir() && (!target.isFile() || replacingChangesFile(path)))
        return writeInPlace(path, bytes, error);

    QSaveFile file(path);
    // No room for a temporary file in the folder: the file itself may still
    // be writable, and is then written directly.
    file.setDirectWriteFallback(true);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    // A failed commit (the disk full at the last write) leaves Qt's text
    // "Unknown error"; the system's reason is still there.
    const int systemError = errno;
    error = file.errorString();
    if ((error.isEmpty() || error == QLatin1String("Unknown error")) && systemError != 0)
        error = qt_error_string(systemError);
    file.cancelWriting();
    return false;
}
