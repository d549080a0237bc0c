// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QFileIconProvider>

// Icons and type names for the file dialog from a file's name alone. Qt's
// own provider reads each file's first bytes to learn its type, on the
// window's thread: a file with nothing to read yet (/proc/kmsg) froze the
// window as soon as the dialog listed its folder, and each file of a slow
// network folder is a read the window waits for.
class NameOnlyIconProvider : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;
};
