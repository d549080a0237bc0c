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

#include "platform/WindowsCrashRelease.h"

// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const char Step[] = ":SOUR:VOLT 230.00\r";
const char Off[] = "\r:SOUR:TURN OFF\r:OUTP OFF\r:SYST:LOC \r";

int fail(const char *what)
{
    std::fprintf(stderr, "crash_release_wine: %s failed (%lu)\n", what, GetLastError());
    return 70; // not the status of any crash
}

HANDLE openSerial(const char *name)
{
    const std::string path = std::string("\\\\.\\") + name;
    HANDLE port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE)
        return port;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    SetCommState(port, &dcb);
    return port;
}

bool writeSerial(HANDLE port, const char *text)
{
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD written = 0;
    bool done = WriteFile(port, text, DWORD(std::strlen(text)), &written, &overlapped) != 0;
    if (!done && GetLastError() == ERROR_IO_PENDING)
        done = GetOverlappedResult(port, &overlapped, &written, TRUE) != 0;
    CloseHandle(overlapped.hEvent);
    return done && written == std::strlen(text);
}

SOCKET openSocket(int port)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return INVALID_SOCKET;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s == INVALID_SOCKET || connect(s, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        return INVALID_SOCKET;
    u_long nonBlocking = 1; // as Qt keeps its sockets
    ioctlsocket(s, FIONBIO, &nonBlocking);
    return s;
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
        HANDLE port = openSerial(argv[2]);
        if (port == INVALID_HANDLE_VALUE)
            return fail("CreateFile");
        if (!writeSerial(port, Step))
            return fail("WriteFile");
        WindowsCrashRelease::setSerialPort(reinterpret_cast<std::intptr_t>(port), 1042);
    } else {
        SOCKET s = openSocket(std::atoi(argv[2]));
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
