// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/system/WindowsConsoleEvents.h"

#include <atomic>

namespace {
// The console's event numbers, as wincon.h gives them.
enum : unsigned long { CtrlC = 0, CtrlBreak = 1, Close = 2, Logoff = 5, Shutdown = 6 };
} // namespace

int WindowsConsoleEvents::signalForEvent(unsigned long event)
{
    switch (event) {
    case CtrlC: return 2;
    case CtrlBreak: return 21;
    case Close: return 1;
    case Logoff:
    case Shutdown: return 15;
    default: return 0;
    }
}

#ifdef _WIN32
#include <windows.h>

static_assert(CTRL_C_EVENT == CtrlC && CTRL_BREAK_EVENT == CtrlBreak && CTRL_CLOSE_EVENT == Close
              && CTRL_LOGOFF_EVENT == Logoff && CTRL_SHUTDOWN_EVENT == Shutdown);

namespace {
std::atomic<WindowsConsoleEvents::Request> g_request{nullptr};
// Manual reset: once finished, every held handler goes.
HANDLE g_finished = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event)
{
    return WindowsConsoleEvents::handle(event) ? TRUE : FALSE;
}
} // namespace

bool WindowsConsoleEvents::install(Request request)
{
    if (!g_finished)
        g_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_request = request;
    return g_finished && SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
}

void WindowsConsoleEvents::uninstall()
{
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    g_request = nullptr;
}

void WindowsConsoleEvents::finished()
{
    if (g_finished)
        SetEvent(g_finished);
}

bool WindowsConsoleEvents::handle(unsigned long event)
{
    const int signalNumber = signalForEvent(event);
    const Request request = g_request.load();
    if (signalNumber == 0 || !request)
        return false;
    request(signalNumber);
    if (event == Close || event == Logoff || event == Shutdown)
        WaitForSingleObject(g_finished, HoldMs);
    return true;
}

#else

// No console events here: POSIX signals end a run.
bool WindowsConsoleEvents::install(Request)
{
    return false;
}
void WindowsConsoleEvents::uninstall() {}
void WindowsConsoleEvents::finished() {}
bool WindowsConsoleEvents::handle(unsigned long)
{
    return false;
}

#endif
