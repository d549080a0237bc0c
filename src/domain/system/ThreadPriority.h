// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// Raises the calling thread to the highest scheduling class the system
// grants a timing thread: on POSIX systems a real-time round-robin policy
// (when the process may use it, as root or with a real-time limit), low in
// its range so that the system's own real-time threads still come first.
// On Windows THREAD_PRIORITY_TIME_CRITICAL. Elsewhere, or when refused,
// nothing changes. Returns whether it was raised.
bool raiseThreadToRealTime();
