// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "platform/FileIdentity.h"

#ifdef Q_OS_UNIX
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

bool replacingChangesFile(const QString &path)
{
    struct stat file = {};
    if (::stat(QFile::encodeName(path).constData(), &file) != 0 || !S_ISREG(file.st_mode))
        return false;
    if (file.st_nlink > 1 || file.st_uid != ::geteuid())
        return true;
    // A new file takes its folder's group where the folder says so, else
    // the user's.
    const QString folder = QFileInfo(QFileInfo(path).canonicalFilePath()).absolutePath();
    struct stat dir = {};
    const bool folderGroup = ::stat(QFile::encodeName(folder).constData(), &dir) == 0
                             && (dir.st_mode & S_ISGID);
    return file.st_gid != (folderGroup ? dir.st_gid : ::getegid());
}
#else
bool replacingChangesFile(const QString &)
{
    return false;
}
#endif
