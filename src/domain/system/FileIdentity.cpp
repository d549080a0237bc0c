// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/system/FileIdentity.h"

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
#elif defined(Q_OS_WIN)
#include <QFileInfo>

#include <windows.h>

bool replacingChangesFile(const QString &path)
{
    // Windows keeps owners in access lists a new file inherits from its
    // folder; what it can tell cheaply is a file that other names share.
    const std::wstring name = QFileInfo(path).absoluteFilePath().replace('/', '\\').toStdWString();
    HANDLE handle = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool shared = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info)
                        && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && info.nNumberOfLinks > 1;
    CloseHandle(handle);
    return shared;
}
#else
bool replacingChangesFile(const QString &)
{
    return false;
}
#endif
