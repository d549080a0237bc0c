// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// A Windows program, run under Wine by tools/wine-check, that starts the
// guardian as the program does (GuardLaunch) and then ends: it opens the
// port as Qt does (a serial HANDLE opened for overlapped use, or a
// non-blocking loopback SOCKET), plays a step, hands the guardian the port
// and the off commands, waits for its Ack, and then either is killed
// (TerminateProcess, as a task manager ends it: the guardian must send the
// off commands, whole, once) or disarms the guardian and ends normally
// (the guardian must end with status 0 and send nothing), or crashes with
// the crash path armed as well, which sends the off commands itself and
// then disarms the guardian, as the program wires them: the far end must
// hold them once.
//
//   guard_wine serial COM1 HOW GUARD.EXE
//   guard_wine tcp PORT HOW GUARD.EXE
//   HOW: kill, disarm or crash
// The guardian's log goes to this program's standard error.

#include "WinePort.h"
#include "domain/system/GuardLaunchWindows.h"
#include "domain/system/WindowsCrashRelease.h"

#include <winsock2.h> // before windows.h

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
void *g_channel = nullptr;

void disarmGuardian()
{
    GuardLaunch::sendDisarm(g_channel);
}

using WinePort::Step;
const char Off[] = "\r:SOUR:TURN OFF\r:OUTP OFF\r:SYST:LOC \r";

int fail(const char *what, unsigned long error = GetLastError())
{
    std::fprintf(stderr, "guard_wine: %s failed (%lu)\n", what, error);
    return 70; // the test's own failure, not the guardian's
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 5)
        return 2;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    GuardLaunch::State state;
    state.bytes = Off;
    state.bytesSize = std::strlen(Off);
    if (std::strcmp(argv[1], "serial") == 0) {
        HANDLE port = WinePort::openSerial(argv[2]);
        if (port == INVALID_HANDLE_VALUE)
            return fail("CreateFile");
        if (!WinePort::writeSerial(port, Step))
            return fail("WriteFile");
        state.serial = reinterpret_cast<std::intptr_t>(port);
    } else {
        SOCKET s = WinePort::openSocket(std::atoi(argv[2]));
        if (s == INVALID_SOCKET)
            return fail("connect");
        if (send(s, Step, int(std::strlen(Step)), 0) != int(std::strlen(Step)))
            return fail("send");
        state.socket = static_cast<std::intptr_t>(s);
        state.holdMs = 50;
    }

    const std::string guard = argv[4];
    const std::wstring program(guard.begin(), guard.end());
    GuardLaunch::Child child;
    unsigned long error = 0;
    if (!GuardLaunch::start(program.c_str(), child, error, GetStdHandle(STD_ERROR_HANDLE)))
        return fail("starting the guardian", error);
    if (!GuardLaunch::sendState(child, state))
        return fail("sending the state");
    if (GuardLaunch::readAcks(child, nullptr, 10000) != 1)
        return fail("waiting for the Ack", 0);
    std::printf("guard_wine: guardian %lu armed\n", child.pid);
    std::fflush(stdout);

    if (std::strcmp(argv[3], "kill") == 0)
        TerminateProcess(GetCurrentProcess(), 9);
    if (std::strcmp(argv[3], "crash") == 0) {
        g_channel = child.channel;
        WindowsCrashRelease::setAfterRelease(disarmGuardian);
        if (!WindowsCrashRelease::install())
            return fail("install");
        WindowsCrashRelease::setSerialPort(state.serial, 1042);
        WindowsCrashRelease::setSocket(state.socket, nullptr, 0, 50);
        WindowsCrashRelease::setBytes(Off, std::strlen(Off));
        volatile int *nowhere = nullptr;
        *nowhere = 1;
    }

    // The program's own close path: the guardian ends and sends nothing.
    if (!GuardLaunch::sendDisarm(child.channel))
        return fail("sending the Disarm");
    unsigned long status = 0;
    if (!GuardLaunch::waitForEnd(child, 5000, status))
        return fail("waiting for the guardian's end", 0);
    if (status != 0)
        return fail("the guardian's exit status", status);
    GuardLaunch::close(child);
    return 0;
}
