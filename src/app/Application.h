// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "app/CommandLine.h"
#include "domain/Platform.h"

class QApplication;
class QSettings;
class frmControl;

// Runs the program on the given platform: start-up, the main window until
// the last window closes, and the termination signals, which take the
// window's own close path without waiting for an operator. Returns the
// process exit code. The settings (none: the defaults) give the ports'
// mappings, which the options override, and the record directory.
int runProgram(QApplication &app, const Platform &platform, const ProgramOptions &options = {},
               const QSettings *settings = nullptr);

// Start-up as the command line and the settings ask: the window's own
// start-up, then the file given, opened as File > Open opens it. The
// window's port map must be set before. False when no port opened.
bool startWindow(frmControl &window, const ProgramOptions &options, const QSettings *settings = nullptr,
                 QSettings *store = nullptr);
