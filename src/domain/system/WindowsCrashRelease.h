// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// The crash path on Windows, in plain C++ (no Qt: it is also built alone,
// for the tests that run it under Wine). When the process meets a fatal
// exception (an access violation, a stack overflow, an illegal
// instruction, abort()), the prepared bytes go to the open port before the
// process ends: on a serial port's HANDLE the driver's output queue is
// purged and the bytes written with WriteFile, then given their line time;
// on a network port's SOCKET the port's prefix and the bytes are sent, the
// connection held for the hold time and its sending side shut down in
// order. The bytes go out once, whichever handler comes first.
//
// Elsewhere every call does nothing and install() returns false.

#include <cstddef>
#include <cstdint>

namespace WindowsCrashRelease {
constexpr std::size_t MaxBytes = 120;
constexpr std::size_t MaxPrefixBytes = 16;

// The unhandled-exception filter, a vectored handler for the faults the
// filter may never see (a stack overflow; a filter replaced by a library),
// and SIGABRT. True when they are in place.
bool install();

// The bytes to write; none: nothing is written.
void setBytes(const char *bytes, std::size_t size);
// The open serial port's HANDLE (-1: none) and a character's time on its
// line, in microseconds, for the wait after the write.
void setSerialPort(std::intptr_t handle, int characterUs);
// The open network port's SOCKET (-1: none), the bytes before the
// prepared ones, and how long the connection stays open after them.
void setSocket(std::intptr_t socket, const char *prefix, std::size_t prefixSize, int holdMs);
// Called once the bytes went out (the guardian is then told it need not
// send them again). Must be safe in a crashing process.
void setAfterRelease(void (*afterRelease)());

// What a crash does, without the crash: true when all bytes went out. A
// second call writes nothing and returns false.
bool releaseNow();
} // namespace WindowsCrashRelease
