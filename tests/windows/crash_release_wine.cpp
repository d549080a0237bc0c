// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// A Windows program, run under Wine by tools/wine-check, that ends as the
// program might under remote control: it opens the port as Qt does (a
// serial HANDLE opened for overlapped use, or a non-blocking loopback
// SOCKET), plays a step, arms the crash path with the off commands and then
// crashes. The far end must then hold the step and the off commands, whole,
// once.
//
//   crash_release_wine serial COM1 HOW
//   crash_release_wine tcp PORT HOW
//   HOW: access-violation, stack-overflow, abort, or exit (no crash: nothing
//        more is sent)

#include "WinePort.h"
#include "domain/system/WindowsCrashRelease.h"

// winsock2.h must come before windows.h.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
using WinePort::Step;
const char Off[] = "\r:SOUR:TURN OFF\r:OUTP OFF\r:SYST:LOC \r";

int fail(const char *what)
{
    std::fprintf(stderr, "crash_release_wine: %s failed (%lu)\n", what, GetLastError());
    return 70; // not the status of any crash
}

// Deep enough to use up any thread's stack (the depth comes from outside,
// so that the compiler cannot see the end that never comes).
int recurse(volatile char *previous, long depth)
{
    volatile char frame[4096];
    frame[0] = previous ? previous[0] : 1;
    if (depth <= 0)
        return frame[0];
    return recurse(frame, depth - 1) + frame[0];
}

void crash(const char *how)
{
    if (std::strcmp(how, "access-violation") == 0) {
        volatile int *nowhere = nullptr;
        *nowhere = 1;
    } else if (std::strcmp(how, "stack-overflow") == 0) {
        std::printf("%d\n", recurse(nullptr, std::strtol(how + std::strlen(how), nullptr, 10) + (1L << 30)));
    } else if (std::strcmp(how, "abort") == 0) {
        std::abort();
    }
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    // No box about the crash: the test waits for nobody.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    if (!WindowsCrashRelease::install())
        return fail("install");
    const bool serial = std::strcmp(argv[1], "serial") == 0;
    if (serial) {
        HANDLE port = WinePort::openSerial(argv[2]);
        if (port == INVALID_HANDLE_VALUE)
            return fail("CreateFile");
        if (!WinePort::writeSerial(port, Step))
            return fail("WriteFile");
        WindowsCrashRelease::setSerialPort(reinterpret_cast<std::intptr_t>(port), 1042);
    } else {
        SOCKET s = WinePort::openSocket(std::atoi(argv[2]));
        if (s == INVALID_SOCKET)
            return fail("connect");
        if (send(s, Step, int(std::strlen(Step)), 0) != int(std::strlen(Step)))
            return fail("send");
        WindowsCrashRelease::setSocket(static_cast<std::intptr_t>(s), nullptr, 0, 50);
    }
    WindowsCrashRelease::setBytes(Off, std::strlen(Off));
    // The step's own time on the line (19 ms at 9600 baud) has passed, as
    // it has when a run is under way: the purge before the off commands
    // only drops what is still queued.
    Sleep(100);
    std::fflush(stdout);
    crash(argv[3]);
    // A plain end: the program's own close path would have run; the crash
    // path sends nothing.
    WindowsCrashRelease::setBytes(nullptr, 0);
    return 0;
}
