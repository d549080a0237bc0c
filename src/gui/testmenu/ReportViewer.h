// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <functional>

// Opens a report with the desktop's viewer, false where none could be
// started; tests put a recorder in its place so that no viewer starts.
using ReportViewer = std::function<bool(const QString &path)>;
ReportViewer desktopReportViewer();
