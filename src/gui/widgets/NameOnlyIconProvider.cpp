// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/widgets/NameOnlyIconProvider.h"

#include <QMimeDatabase>

namespace {
QMimeType typeByName(const QFileInfo &info)
{
    return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
}
} // namespace

QIcon NameOnlyIconProvider::icon(const QFileInfo &info) const
{
    if (!info.isFile())
        return QFileIconProvider::icon(info); // folders, drives, links to them: nothing is read
    return QIcon::fromTheme(typeByName(info).iconName(), QFileIconProvider::icon(File));
}

QString NameOnlyIconProvider::type(const QFileInfo &info) const
{
    if (!info.isFile())
        return QFileIconProvider::type(info);
    return typeByName(info).comment();
}
