// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// A Windows program, run under Wine by tools/wine-check, that ends on a
// console event as quorra --run does: it plays a step on COM1, the event
// comes on a thread of its own (called as the system calls the handler:
// Wine cannot send a console event to a program without a console), the
// main thread switches the output off and says it has finished, and the
// program ends with 128 + the event's signal number. A closed console must
// hold its handler until then: the system ends the process when it returns.
//
//   console_event_wine COM1 break|close

#include "WinePort.h"
#include "domain/system/WindowsConsoleEvents.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
using WinePort::Step;
const char Off[] = ":SOUR:TURN OFF\r:OUTP OFF\r:SYST:LOC \r";
constexpr int Failed = 70; // not any event's status

std::atomic<int> g_signal{0};
std::atomic<bool> g_released{false};
std::atomic<int> g_returnedBeforeRelease{0};
HANDLE g_requested = nullptr;

void onRequest(int signalNumber)
{
    g_signal = signalNumber;
    SetEvent(g_requested);
}

DWORD WINAPI systemThread(void *event)
{
    const unsigned long which = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(event));
    WindowsConsoleEvents::handle(which);
    if (!g_released)
        g_returnedBeforeRelease = 1;
    return 0;
}

int fail(const char *what)
{
    std::fprintf(stderr, "console_event_wine: %s\n", what);
    return Failed;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    // The events as the exit status counts them.
    const struct
    {
        unsigned long event;
        int signalNumber;
    } table[] = {{CTRL_C_EVENT, 2},       {CTRL_BREAK_EVENT, 21},    {CTRL_CLOSE_EVENT, 1},
                 {CTRL_LOGOFF_EVENT, 15}, {CTRL_SHUTDOWN_EVENT, 15}, {99, 0}};
    for (const auto &row : table)
        if (WindowsConsoleEvents::signalForEvent(row.event) != row.signalNumber)
            return fail("an event maps to the wrong signal");

    HANDLE port = WinePort::openSerial(argv[1]);
    if (port == INVALID_HANDLE_VALUE)
        return fail("COM1 does not open");
    if (!WinePort::writeSerial(port, Step))
        return fail("the step was not written");
    Sleep(100);

    g_requested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!WindowsConsoleEvents::install(onRequest))
        return fail("the handler is not installed");
    const unsigned long event = std::strcmp(argv[2], "close") == 0 ? CTRL_CLOSE_EVENT : CTRL_BREAK_EVENT;
    HANDLE thread = CreateThread(nullptr, 0, systemThread, reinterpret_cast<void *>(std::uintptr_t(event)), 0,
                                 nullptr);
    if (WaitForSingleObject(g_requested, 2000) != WAIT_OBJECT_0)
        return fail("the event was not passed on");
    // The run's end: output off, local operation, after a moment in which
    // a handler that did not wait would have let the process go.
    Sleep(200);
    if (!WinePort::writeSerial(port, Off))
        return fail("the off commands were not written");
    g_released = true;
    WindowsConsoleEvents::finished();
    WaitForSingleObject(thread, 3000);
    if (event == CTRL_CLOSE_EVENT && g_returnedBeforeRelease)
        return fail("a closed console's handler returned before the output was off");
    CloseHandle(port);
    return 128 + g_signal;
}
