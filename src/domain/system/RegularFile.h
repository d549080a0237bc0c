// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QtGlobal>

class QFile;
class QString;

// Opens path for reading only when it names a regular file of at most
// maxBytes. Anything else (a folder, a FIFO, a device such as /dev/zero) is
// refused without being opened, so no open blocks waiting for a writer and
// no device notices it. Returns false when refused or the open fails.
bool openRegularFile(QFile &file, const QString &path, qint64 maxBytes);
