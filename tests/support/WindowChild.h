// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <functional>

class frmControl;

// The real program in a child process of a test, with "COM 1" on the given
// device (or network target, such as a serial server's tcp://) and "COM 2"
// missing. Once the window has started, setUp runs on it
// and the child says "ready" on standard output; then the program runs
// until it ends, and its exit status is returned.
int runWindowChild(int argc, char **argv, const QString &device,
                   const std::function<void(frmControl &)> &setUp);
