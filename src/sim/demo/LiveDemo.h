// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "sim/demo/DryRun.h"
#include "sim/source/SourceLink.h"

#include <QString>
#include <optional>

// The main window wired to the virtual source in real time, beside the
// source's front panel. With a file, it is opened, Remote chosen and RUN
// pressed, as an operator would; a limit presses STOP after that long. The
// cable is a pseudo-terminal, or a loopback TCP port the window's COM 1
// connects to. Returns the application's exit status.
int runLiveDemo(const std::optional<QString> &showFile, const PlayOptions &options,
                SourceLink::Cable cable = SourceLink::Cable::Pty, quint16 tcpPort = 0);
