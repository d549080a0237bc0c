// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/system/WindowsCrashRelease.h"

#ifdef _WIN32
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>

namespace {
using WindowsCrashRelease::MaxBytes;
using WindowsCrashRelease::MaxPrefixBytes;

// Two slots, so that new bytes never change a slot a handler may be
// reading: they go into the idle one, which is then made the active one.
struct Slot
{
    char bytes[MaxBytes];
    std::size_t size;
};
Slot g_slots[2];
std::atomic<int> g_active{-1}; // -1: nothing to write

std::atomic<std::intptr_t> g_serial{-1};
std::atomic<int> g_characterUs{1042}; // 9600 baud, 10 bits a character
std::atomic<std::intptr_t> g_socket{-1};
// Written only while g_socket is -1, so a handler never reads it half-made.
char g_prefix[MaxPrefixBytes];
std::size_t g_prefixSize = 0;
int g_holdMs = 0;
std::atomic<void (*)()> g_afterRelease{nullptr};
std::atomic<bool> g_released{false};
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

constexpr DWORD MaxWriteWaitMs = 2000;

bool writeSerial(HANDLE port, const Slot &slot)
{
    // What the program still had queued is dropped; the leading CR ends a
    // command cut short.
    PurgeComm(port, PURGE_TXABORT | PURGE_TXCLEAR);
    // Qt opens the port for overlapped input and output: the write needs
    // an OVERLAPPED of its own, and works on an ordinary handle as well.
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD written = 0;
    bool done = WriteFile(port, slot.bytes, static_cast<DWORD>(slot.size), &written, &overlapped) != 0;
    if (!done && GetLastError() == ERROR_IO_PENDING) {
        if (WaitForSingleObject(overlapped.hEvent ? overlapped.hEvent : port, MaxWriteWaitMs) == WAIT_OBJECT_0)
            done = GetOverlappedResult(port, &overlapped, &written, FALSE) != 0;
        else
            CancelIo(port);
    }
    if (overlapped.hEvent)
        CloseHandle(overlapped.hEvent);
    if (!done || written != slot.size)
        return false;
    // The driver may still hold them: their time on the line, and a margin.
    const long long lineMs = static_cast<long long>(slot.size) * g_characterUs.load() / 1000 + 20;
    Sleep(static_cast<DWORD>(std::min<long long>(lineMs, MaxWriteWaitMs)));
    return true;
}

bool sendAll(SOCKET socket, const char *at, std::size_t left)
{
    // Qt's sockets are non-blocking: a full queue is waited out, a bounded time.
    for (int attempt = 0; left > 0 && attempt < 2000; ++attempt) {
        const int n = send(socket, at, static_cast<int>(left), 0);
        if (n > 0) {
            at += n;
            left -= static_cast<std::size_t>(n);
        } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
            Sleep(1);
        } else {
            break;
        }
    }
    return left == 0;
}

bool writeSocket(SOCKET socket, const Slot &slot)
{
    const bool written = sendAll(socket, g_prefix, g_prefixSize) && sendAll(socket, slot.bytes, slot.size);
    // The process's end closes the connection, and a serial server may
    // drop what its line has not sent by then.
    Sleep(static_cast<DWORD>(g_holdMs));
    // What the server sent and nobody read would make the close a reset,
    // and a reset drops what the server has not read yet.
    u_long nonBlocking = 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
    char sink[256];
    while (recv(socket, sink, sizeof sink, 0) > 0) {
    }
    shutdown(socket, SD_SEND);
    return written;
}

bool release()
{
    if (g_released.exchange(true))
        return false;
    const int active = g_active.load();
    if (active < 0)
        return false;
    bool released = false;
    if (const std::intptr_t serial = g_serial.load(); serial != -1)
        released = writeSerial(reinterpret_cast<HANDLE>(serial), g_slots[active]);
    else if (const std::intptr_t socket = g_socket.load(); socket != -1)
        released = writeSocket(static_cast<SOCKET>(socket), g_slots[active]);
    if (void (*after)() = g_afterRelease.load(); after && released)
        after();
    return released;
}

bool isFatal(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_NONCONTINUABLE_EXCEPTION:
    case STATUS_HEAP_CORRUPTION:
    case STATUS_STACK_BUFFER_OVERRUN: return true;
    default: return false;
    }
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS *exception)
{
    release();
    return g_previousFilter ? g_previousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
}

// First in line for every exception: only the faults this program never
// handles itself are taken as its end, and the search goes on as before.
LONG WINAPI onVectoredException(EXCEPTION_POINTERS *exception)
{
    if (exception && exception->ExceptionRecord && isFatal(exception->ExceptionRecord->ExceptionCode))
        release();
    return EXCEPTION_CONTINUE_SEARCH;
}

extern "C" void onAbort(int)
{
    release();
    std::signal(SIGABRT, SIG_DFL);
    std::raise(SIGABRT);
}
} // namespace

namespace WindowsCrashRelease {
bool install()
{
    static bool installed = false;
    if (installed)
        return true;
    g_previousFilter = SetUnhandledExceptionFilter(onUnhandledException);
    // A stack overflow leaves the handler little stack: ask for some.
    ULONG reserve = 32 * 1024;
    SetThreadStackGuarantee(&reserve);
    installed = AddVectoredExceptionHandler(1, onVectoredException) != nullptr;
    std::signal(SIGABRT, onAbort);
    return installed;
}

void setBytes(const char *bytes, std::size_t size)
{
    if (size == 0) {
        g_active = -1;
        return;
    }
    const int idle = g_active.load() == 0 ? 1 : 0;
    Slot &slot = g_slots[idle];
    slot.size = std::min(size, sizeof slot.bytes);
    std::memcpy(slot.bytes, bytes, slot.size);
    g_active = idle;
}

void setSerialPort(std::intptr_t handle, int characterUs)
{
    g_characterUs = std::clamp(characterUs, 1, 100000);
    g_serial = handle;
}

void setSocket(std::intptr_t socket, const char *prefix, std::size_t prefixSize, int holdMs)
{
    g_socket = -1;
    if (socket == -1)
        return;
    g_holdMs = std::clamp(holdMs, 0, 2000);
    g_prefixSize = std::min(prefixSize, sizeof g_prefix);
    std::memcpy(g_prefix, prefix, g_prefixSize);
    g_socket = socket;
}

void setAfterRelease(void (*afterRelease)())
{
    g_afterRelease = afterRelease;
}

bool releaseNow()
{
    return release();
}
} // namespace WindowsCrashRelease

#else

namespace WindowsCrashRelease {
bool install()
{
    return false;
}
void setBytes(const char *, std::size_t) {}
void setSerialPort(std::intptr_t, int) {}
void setSocket(std::intptr_t, const char *, std::size_t, int) {}
void setAfterRelease(void (*)()) {}
bool releaseNow()
{
    return false;
}
} // namespace WindowsCrashRelease

#endif
