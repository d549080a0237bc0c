// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool isSmallRegular(const struct stat &st, qint64 maxBytes)
{
    return S_ISREG(st.st_mode) && st.st_size <= maxBytes;
}
} // namespace

bool openRegularFile(QFile &file, const QString &path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st
    {};
    if (::stat(name.constData(), &st) != 0 || !isSmallRegular(st, maxBytes))
        return false;
    // Checked again on what was opened: the name may have been replaced
    // meanwhile. O_NONBLOCK keeps even that from blocking.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (::fstat(fd, &st) != 0 || !isSmallRegular(st, maxBytes)
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

#else

bool openRegularFile(QFile &file, const QString &path, qint64 maxBytes)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxBytes)
        return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
}

#endif
