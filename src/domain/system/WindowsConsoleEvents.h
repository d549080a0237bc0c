// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// The Windows console's end events (Ctrl+C, Ctrl+Break, the console
// closed, log-off, shut-down) as the termination signals a run ends on, in
// plain C++ (no Qt: it is also built alone, for the tests under Wine).
//
// The system calls the handler on a thread of its own. It passes the event
// on as a signal number and, for a closed console, a log-off or a
// shut-down, after which the system ends the process as soon as the handler
// returns, holds that thread until the program says it has finished
// (output off, port closed), within the system's own limit.

namespace WindowsConsoleEvents {
// The event's signal number, from which the exit status counts (128 +):
// Ctrl+C SIGINT (2), Ctrl+Break SIGBREAK (21), a closed console a hang-up
// (1), a log-off or shut-down SIGTERM (15); 0 for any other event.
int signalForEvent(unsigned long event);

using Request = void (*)(int signalNumber);
// Hands each end event to request (on the event's thread) until
// uninstall(). True when the handler is in place.
bool install(Request request);
void uninstall();
// The program has done what the event asked: a held handler returns.
void finished();

// What the system calls for an event: true when it was taken. Waits for
// finished() after the events that end the process on return.
bool handle(unsigned long event);

// How long a held handler waits for finished(): under the 5 s after which
// the system ends the process anyway.
constexpr int HoldMs = 4500;
} // namespace WindowsConsoleEvents
