// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// The port as the Windows test programs under Wine open it, the way Qt
// does: a serial HANDLE opened for overlapped use at 9600 8N1, or a
// non-blocking loopback SOCKET; and the step they play before they end.

// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace WinePort {
inline const char Step[] = ":SOUR:VOLT 230.00\r";

inline HANDLE openSerial(const char *name)
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

inline bool writeSerial(HANDLE port, const char *text)
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

inline SOCKET openSocket(int port)
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
} // namespace WinePort
