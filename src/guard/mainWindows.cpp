// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

// quorra-guard on Windows: started by quorra when the instrument comes
// under remote control, detached, in a process group of its own, with its
// end of a pipe and a handle of the program's process. It holds a copy of
// the port and waits. Should the program's process end, or the pipe close,
// without a Disarm (the program killed, crashed beyond its own handlers),
// it writes the off commands to the port, logs one line and ends. While
// the program lives it writes nothing.

#include "guard/ReleaseWindows.h"

#include <cstdio>

#ifdef _WIN32
#include <winsock2.h> // before windows.h

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {
using GuardProtocol::WindowsMessage;

// The longest the guardian spends on the release, so that it never holds
// the port for good (a line held by flow control, a server that never reads).
constexpr int ReleaseDeadlineMs = 30000;
// Once the program's process has ended, how long what it sent last is
// awaited: a Disarm its crash path sent as it ended still counts.
constexpr DWORD LastWordsMs = 1000;

// Shared by the thread reading the pipe and the one watching the program.
CRITICAL_SECTION g_lock;
HeldHandle g_held;
bool g_disarmed = false;
HANDLE g_channel = nullptr;
HANDLE g_channelDone = nullptr; // set on a Disarm or at the pipe's end

bool readWhole(HANDLE channel, void *into, DWORD size)
{
    auto *at = static_cast<char *>(into);
    while (size > 0) {
        DWORD got = 0;
        // The end, an error or a message cut short by the program's death.
        if (!ReadFile(channel, at, size, &got, nullptr) || got == 0)
            return false;
        at += got;
        size -= got;
    }
    return true;
}

DWORD WINAPI readChannel(void *)
{
    for (;;) {
        WindowsMessage message;
        if (!readWhole(g_channel, &message, sizeof message))
            break;
        // Not the program's: never a reason to write.
        if (message.message.magic != GuardProtocol::Magic)
            continue;
        if (message.message.type == GuardProtocol::Type::Disarm) {
            EnterCriticalSection(&g_lock);
            g_disarmed = true;
            LeaveCriticalSection(&g_lock);
            break;
        }
        EnterCriticalSection(&g_lock);
        closeHandle(g_held);
        g_held = takeHandle(message);
        LeaveCriticalSection(&g_lock);
        DWORD written = 0;
        WriteFile(g_channel, &GuardProtocol::Ack, 1, &written, nullptr);
    }
    SetEvent(g_channelDone);
    return 0;
}

// One line to standard error (where there is one) and to the event log.
void log(bool failed, const std::string &text)
{
    std::fprintf(stderr, "quorra-guard[%lu]: %s\n", GetCurrentProcessId(), text.c_str());
    std::fflush(stderr);
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(size > 0 ? size_t(size) : 0, L'\0');
    if (size <= 0 || !MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), size))
        return;
    if (HANDLE source = RegisterEventSourceW(nullptr, L"quorra-guard")) {
        const wchar_t *strings[] = {wide.c_str()};
        ReportEventW(source, failed ? EVENTLOG_ERROR_TYPE : EVENTLOG_WARNING_TYPE, 0, 0, nullptr, 1, 0, strings,
                     nullptr);
        DeregisterEventSource(source);
    }
}

// The program is gone without switching the output off.
int release(const HeldHandle &held)
{
    if (held.kind == GuardProtocol::Kind::None || held.bytes.empty()) {
        log(false, "quorra ended under remote control without switching the output off; no port was open, "
                   "nothing sent");
        return 0;
    }
    // Named first: a peer that has closed has no address.
    const std::string name = handleName(held);
    const bool delivered = releaseHandle(held, ReleaseDeadlineMs);
    log(!delivered,
        name + ": quorra ended under remote control without switching the output off; "
            + (delivered ? "the off commands were sent" : "the off commands could not all be sent"));
    return delivered ? 0 : 1;
}

int usage()
{
    std::fputs("quorra-guard: quorra starts this program under remote control, with the port it watches;"
               " it is not run by hand\n",
               stderr);
    return 2;
}

HANDLE handleArgument(const char *option, const char *value, const char *expected)
{
    if (std::strcmp(option, expected) != 0)
        return nullptr;
    char *end = nullptr;
    const unsigned long long number = std::strtoull(value, &end, 10);
    return end && *end == '\0' && number != 0 ? reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(number))
                                              : nullptr;
}
} // namespace

// quorra-guard --for PID --channel HANDLE --program HANDLE
int main(int argc, char **argv)
{
    if (argc != 7)
        return usage();
    g_channel = handleArgument(argv[3], argv[4], "--channel");
    const HANDLE program = handleArgument(argv[5], argv[6], "--program");
    if (!g_channel || !program || GetFileType(g_channel) != FILE_TYPE_PIPE
        || WaitForSingleObject(program, 0) == WAIT_FAILED)
        return usage();
    // No box on a fault, no end on the console's Ctrl+C.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetConsoleCtrlHandler(nullptr, TRUE);
    WSADATA winsock;
    WSAStartup(MAKEWORD(2, 2), &winsock);
    InitializeCriticalSection(&g_lock);
    g_channelDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE reader = g_channelDone ? CreateThread(nullptr, 0, readChannel, nullptr, 0, nullptr) : nullptr;
    if (!reader)
        return usage();

    const HANDLE waits[2] = {g_channelDone, program};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
        WaitForSingleObject(g_channelDone, LastWordsMs);
    // Held from here to the end: no State changes the port under the release.
    EnterCriticalSection(&g_lock);
    if (g_disarmed) {
        closeHandle(g_held);
        ExitProcess(0);
    }
    const int status = release(g_held);
    closeHandle(g_held);
    ExitProcess(static_cast<UINT>(status));
}

#endif
