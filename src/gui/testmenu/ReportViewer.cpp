// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/testmenu/ReportViewer.h"

#include <QDesktopServices>
#include <QUrl>

ReportViewer desktopReportViewer()
{
    return [](const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
}
