// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "guard/ReleaseWindows.h"

#ifdef _WIN32
#include <winsock2.h> // before windows.h
#include <ws2tcpip.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {
using Clock = std::chrono::steady_clock;
static_assert(sizeof(WSAPROTOCOL_INFOW) <= GuardProtocol::MaxSocketInfo);

DWORD msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

// A character's time on the line in microseconds, from the port's framing.
long long characterUs(HANDLE port)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb) || dcb.BaudRate == 0)
        return 1042; // 9600 baud, 10 bits
    const long long halfBits = 2 * (1 + dcb.ByteSize + (dcb.Parity != NOPARITY ? 1 : 0))
                               + (dcb.StopBits == ONESTOPBIT     ? 2
                                  : dcb.StopBits == ONE5STOPBITS ? 3
                                                                 : 4);
    return halfBits * 500000 / dcb.BaudRate;
}

bool releaseSerial(HANDLE port, const std::string &bytes, Clock::time_point deadline)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (GetFileType(port) != FILE_TYPE_CHAR || !GetCommState(port, &dcb))
        return false;
    // What the program still had queued is dropped; the leading CR ends a
    // command cut short.
    PurgeComm(port, PURGE_TXABORT | PURGE_TXCLEAR);
    // The program opened the port for overlapped use: the write needs an
    // OVERLAPPED of its own (and works on a plain handle as well).
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!overlapped.hEvent)
        return false;
    DWORD written = 0;
    bool done = WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &overlapped) != 0;
    if (!done && GetLastError() == ERROR_IO_PENDING) {
        // A line held by flow control never takes them.
        if (WaitForSingleObject(overlapped.hEvent, msLeft(deadline)) != WAIT_OBJECT_0)
            CancelIoEx(port, &overlapped);
        done = GetOverlappedResult(port, &overlapped, &written, TRUE) != 0;
    }
    CloseHandle(overlapped.hEvent);
    if (!done || written != bytes.size())
        return false;
    // The driver may still hold them: their time on the line, and a margin.
    const long long lineMs = static_cast<long long>(bytes.size()) * characterUs(port) / 1000 + 20;
    Sleep(static_cast<DWORD>(std::min<long long>(lineMs, msLeft(deadline))));
    return true;
}

// Waits until the socket can be written (or read), at most ms.
bool ready(SOCKET socket, bool forWriting, DWORD ms)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait{static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
    return select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &wait) == 1;
}

bool sendAll(SOCKET socket, const std::string &text, Clock::time_point deadline)
{
    const char *at = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const int n = send(socket, at, static_cast<int>(left), 0);
        if (n > 0) {
            at += n;
            left -= static_cast<std::size_t>(n);
            continue;
        }
        const DWORD wait = msLeft(deadline);
        if (WSAGetLastError() != WSAEWOULDBLOCK || wait == 0)
            return false;
        ready(socket, true, wait);
    }
    return true;
}

// What the server sent is read and dropped: unread bytes would make the
// close a reset, and a reset drops what the server has not taken yet.
// True when the server has closed its side.
bool readAndDrop(SOCKET socket)
{
    char sink[256];
    while (ready(socket, false, 0)) {
        const int n = recv(socket, sink, sizeof sink, 0);
        if (n <= 0)
            return n == 0 || WSAGetLastError() != WSAEWOULDBLOCK;
    }
    return false;
}

bool releaseSocket(SOCKET socket, const HeldHandle &held, Clock::time_point deadline)
{
    u_long nonBlocking = 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
    const bool sent = sendAll(socket, held.prefix + held.bytes, deadline);
    // A serial server puts the bytes on its line after taking them; it may
    // drop what it has not sent yet once the connection ends.
    if (sent && held.holdMs > 0)
        Sleep(std::min<DWORD>(static_cast<DWORD>(held.holdMs), msLeft(deadline)));
    readAndDrop(socket);
    shutdown(socket, SD_SEND);
    // A short wait for the server's own close.
    const Clock::time_point closeBy = std::min(deadline, Clock::now() + std::chrono::milliseconds(500));
    for (DWORD wait; !readAndDrop(socket) && (wait = msLeft(closeBy)) > 0;)
        ready(socket, false, wait);
    return sent;
}
} // namespace

HeldHandle takeHandle(const GuardProtocol::WindowsMessage &whole)
{
    const GuardProtocol::Message &message = whole.message;
    HeldHandle held;
    if (message.kind == GuardProtocol::Kind::Serial && whole.handle != 0) {
        held.handle = static_cast<std::uintptr_t>(whole.handle);
    } else if (message.kind == GuardProtocol::Kind::Socket) {
        WSAPROTOCOL_INFOW info;
        std::memcpy(&info, whole.socketInfo, sizeof info);
        const SOCKET own = WSASocketW(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, &info, 0,
                                      WSA_FLAG_OVERLAPPED);
        if (own == INVALID_SOCKET)
            return held;
        held.handle = static_cast<std::uintptr_t>(own);
    } else {
        return held;
    }
    held.kind = message.kind;
    held.prefix.assign(message.prefix, std::min<std::size_t>(message.prefixSize, sizeof message.prefix));
    held.bytes.assign(message.bytes, std::min<std::size_t>(message.bytesSize, sizeof message.bytes));
    held.holdMs = std::min<int>(message.holdMs, GuardProtocol::MaxHoldMs);
    return held;
}

void closeHandle(HeldHandle &held)
{
    if (held.kind == GuardProtocol::Kind::Serial)
        CloseHandle(reinterpret_cast<HANDLE>(held.handle));
    else if (held.kind == GuardProtocol::Kind::Socket)
        closesocket(static_cast<SOCKET>(held.handle));
    held = {};
}

bool releaseHandle(const HeldHandle &held, int deadlineMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(deadlineMs);
    switch (held.kind) {
    case GuardProtocol::Kind::Serial:
        return releaseSerial(reinterpret_cast<HANDLE>(held.handle), held.bytes, deadline);
    case GuardProtocol::Kind::Socket: return releaseSocket(static_cast<SOCKET>(held.handle), held, deadline);
    case GuardProtocol::Kind::None: break;
    }
    return false;
}

std::string handleName(const HeldHandle &held)
{
    if (held.kind == GuardProtocol::Kind::Serial)
        return "the serial port";
    if (held.kind == GuardProtocol::Kind::Socket) {
        sockaddr_storage peer{};
        int size = sizeof peer;
        char host[INET6_ADDRSTRLEN] = {};
        if (getpeername(static_cast<SOCKET>(held.handle), reinterpret_cast<sockaddr *>(&peer), &size) == 0) {
            if (peer.ss_family == AF_INET) {
                const auto *a = reinterpret_cast<const sockaddr_in *>(&peer);
                inet_ntop(AF_INET, &a->sin_addr, host, sizeof host);
                return "tcp://" + std::string(host) + ":" + std::to_string(ntohs(a->sin_port));
            }
            if (peer.ss_family == AF_INET6) {
                const auto *a = reinterpret_cast<const sockaddr_in6 *>(&peer);
                inet_ntop(AF_INET6, &a->sin6_addr, host, sizeof host);
                return "tcp://[" + std::string(host) + "]:" + std::to_string(ntohs(a->sin6_port));
            }
        }
        return "the network port";
    }
    return "no port";
}

#endif
