// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// The program's side of the guardian on Windows, in plain C++ (no Qt: the
// tests that run it under Wine build it alone). The guardian is started
// detached, in a process group of its own, and inherits exactly two
// handles: its end of a local pipe, both ways, and a handle of the
// program's process that it waits on. Ports are handed to it as the system
// hands them between processes: a serial port's HANDLE is duplicated into
// the guardian, a socket goes as WSADuplicateSocketW's description.
//
// Elsewhere every call does nothing and fails.

#include <cstddef>
#include <cstdint>

namespace GuardLaunch {
// A running guardian, as the program holds it.
struct Child
{
    void *process = nullptr; // the guardian's process
    void *channel = nullptr; // the program's end of the pipe (overlapped)
    unsigned long pid = 0;
};

// What the guardian writes should the program end without a Disarm.
struct State
{
    std::intptr_t serial = -1; // the open serial port's HANDLE, -1: none
    std::intptr_t socket = -1; // else the open network port's SOCKET
    const char *prefix = nullptr;
    std::size_t prefixSize = 0;
    int holdMs = 0;
    const char *bytes = nullptr;
    std::size_t bytesSize = 0;
};

// Starts the guardian at program (a path). logTo: a handle the guardian's
// standard error goes to (a test's log; nullptr, as the program has it:
// none). False with the system's error code in error.
bool start(const wchar_t *program, Child &child, unsigned long &error, void *logTo = nullptr);

// Hands the guardian the port (a copy of its own) and the bytes. True
// when the whole message went; the guardian answers it with one Ack.
bool sendState(const Child &child, const State &state);

// The Disarm: the guardian closes its copy of the port and ends, writing
// nothing. Uses no heap, so that a crashing process may send it.
bool sendDisarm(void *channel);

constexpr int Ended = -1;   // the guardian's end of the pipe has closed
constexpr int Stopped = -2; // stop was set
// Waits up to timeoutMs (-1: for ever) for the guardian's answers, or
// until the event stop (nullptr: none) is set. The number of Acks read (0:
// none in time), Ended or Stopped.
int readAcks(const Child &child, void *stop, int timeoutMs);

// True once the guardian has ended, within timeoutMs, with its exit code.
bool waitForEnd(const Child &child, int timeoutMs, unsigned long &exitCode);
// Ends the guardian at once (one that does not end when disarmed).
void kill(const Child &child);
// Closes the program's handles; the guardian, still armed, takes the
// closed pipe as the program's end.
void close(Child &child);
} // namespace GuardLaunch
