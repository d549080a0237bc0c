// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "app/CommandLine.h"

#include <QString>

// quorra --plot and --report, and the report at the end of --run. They draw
// with Qt Gui, so a QGuiApplication must exist (on the offscreen platform
// when there is no display). Each returns the exit status.
int runPlot(const ToolOptions &options);
int runReport(const ToolOptions &options);

// The report of a run beside its record (the CSV's name with .pdf).
// Problems go to standard error; the run's exit status stays as it was.
void writeReportBesideRecord(const QString &recordPath);
