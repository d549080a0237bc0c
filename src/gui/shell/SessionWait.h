// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

class frmControl;

// For what drives the window from outside (the demo's scripted runs, the
// tests): waits, with the window's events going on, until the session has
// done what the window asked of it and the window has heard everything the
// session said. False when that took longer than timeoutMs.
bool waitForSession(frmControl &window, int timeoutMs = 5000);
