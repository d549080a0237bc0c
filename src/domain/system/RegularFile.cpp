// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/system/RegularFile.h"

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

#elif defined(Q_OS_WIN)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

bool openRegularFile(QFile &file, const QString &path, qint64 maxBytes)
{
    // Opened first and checked on what was opened, as above: a device
    // (COM1, NUL, a pipe) is refused before anything is read from it.
    const std::wstring name = QFileInfo(path).absoluteFilePath().replace('/', '\\').toStdWString();
    HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool regular = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info)
                         && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                         && ((qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow) <= maxBytes;
    const int fd = regular ? _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY) : -1;
    if (fd < 0) {
        CloseHandle(handle);
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        _close(fd);
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
