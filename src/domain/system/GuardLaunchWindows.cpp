// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/system/GuardLaunchWindows.h"

#ifdef _WIN32
#include "domain/system/GuardProtocol.h"

#include <winsock2.h> // before windows.h

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {
static_assert(sizeof(WSAPROTOCOL_INFOW) <= GuardProtocol::MaxSocketInfo);

// A message that cannot go within this long means the guardian is stuck.
constexpr DWORD WriteWaitMs = 2000;

// Made before any crash needs it.
const GuardProtocol::WindowsMessage g_disarm = [] {
    GuardProtocol::WindowsMessage message;
    message.message.type = GuardProtocol::Type::Disarm;
    return message;
}();

HANDLE asHandle(void *handle)
{
    return static_cast<HANDLE>(handle);
}

// All of size bytes on the overlapped pipe, or nothing.
bool writeWhole(HANDLE channel, const void *data, DWORD size)
{
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!overlapped.hEvent)
        return false;
    DWORD written = 0;
    bool done = WriteFile(channel, data, size, &written, &overlapped) != 0;
    if (!done && GetLastError() == ERROR_IO_PENDING) {
        if (WaitForSingleObject(overlapped.hEvent, WriteWaitMs) != WAIT_OBJECT_0)
            CancelIoEx(channel, &overlapped);
        done = GetOverlappedResult(channel, &overlapped, &written, TRUE) != 0;
    }
    CloseHandle(overlapped.hEvent);
    return done && written == size;
}

// A pipe's name nobody else has: the first instance is ours, and only one.
std::wstring pipeName()
{
    static std::atomic<unsigned> count{0};
    wchar_t name[96];
    std::swprintf(name, sizeof name / sizeof name[0], L"\\\\.\\pipe\\quorra-guard-%lu-%u-%llu",
                  GetCurrentProcessId(), ++count, static_cast<unsigned long long>(GetTickCount64()));
    return name;
}

std::wstring commandLine(const wchar_t *program, HANDLE channel, HANDLE watched)
{
    wchar_t tail[160];
    std::swprintf(tail, sizeof tail / sizeof tail[0], L" --for %lu --channel %llu --program %llu",
                  GetCurrentProcessId(),
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(channel)),
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(watched)));
    return L"\"" + std::wstring(program) + L"\"" + tail;
}

bool inheritable(HANDLE from, HANDLE &copy, DWORD access, DWORD options)
{
    return DuplicateHandle(GetCurrentProcess(), from, GetCurrentProcess(), &copy, access, TRUE, options) != 0;
}
} // namespace

namespace GuardLaunch {
bool start(const wchar_t *program, Child &child, unsigned long &error, void *logTo)
{
    child = {};
    const std::wstring name = pipeName();
    // Ours is overlapped, so that the answers are awaited beside a stop;
    // the guardian's end is a plain one.
    HANDLE own = CreateNamedPipeW(name.c_str(),
                                  PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                  PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                  1, 4096, 4096, 0, nullptr);
    if (own == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return false;
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE theirs = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherit, OPEN_EXISTING, 0,
                                nullptr);
    HANDLE watched = nullptr;
    HANDLE log = nullptr;
    const bool made = theirs != INVALID_HANDLE_VALUE
                      && inheritable(GetCurrentProcess(), watched, SYNCHRONIZE, 0)
                      && (!logTo || inheritable(asHandle(logTo), log, 0, DUPLICATE_SAME_ACCESS));
    error = made ? 0 : GetLastError();

    // Those handles and no others, whatever else this process holds that
    // is inheritable.
    HANDLE inherited[3] = {theirs, watched, log};
    const DWORD count = log ? 3 : 2;
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> list(made ? size : 0);
    auto *attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list.data());
    bool listed = made && InitializeProcThreadAttributeList(attributes, 1, 0, &size)
                  && UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                               count * sizeof(HANDLE), nullptr, nullptr);
    if (made && !listed)
        error = GetLastError();

    PROCESS_INFORMATION started{};
    bool ok = false;
    if (listed) {
        STARTUPINFOEXW info{};
        info.StartupInfo.cb = sizeof info;
        info.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
        info.StartupInfo.hStdError = log;
        info.lpAttributeList = attributes;
        std::wstring line = commandLine(program, theirs, watched);
        // No console and a process group of its own: Ctrl+C, Ctrl+Break
        // and a closed console window do not reach it. Out of the
        // program's job where the job allows it, so that a job ended with
        // the program does not end the guardian too.
        const DWORD flags = EXTENDED_STARTUPINFO_PRESENT | DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP
                            | CREATE_UNICODE_ENVIRONMENT;
        DWORD breakaway = CREATE_BREAKAWAY_FROM_JOB;
        // A guardian that died while it was being loaded (ERROR_INTERNAL_ERROR:
        // it ended before it ran a line of its own) is started once more;
        // the handles it is given are still ours and still valid.
        for (int attempt = 0; attempt < 2 && !ok; ++attempt) {
            ok = CreateProcessW(program, line.data(), nullptr, nullptr, TRUE, flags | breakaway, nullptr,
                                nullptr, &info.StartupInfo, &started)
                 != 0;
            if (!ok && breakaway && GetLastError() == ERROR_ACCESS_DENIED) {
                breakaway = 0;
                ok = CreateProcessW(program, line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                                    &info.StartupInfo, &started)
                     != 0;
            }
            if (!ok)
                error = GetLastError();
            if (!ok && error != ERROR_INTERNAL_ERROR)
                break;
        }
        DeleteProcThreadAttributeList(attributes);
    }
    for (HANDLE h : {theirs, watched, log})
        if (h && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    if (!ok) {
        CloseHandle(own);
        return false;
    }
    CloseHandle(started.hThread);
    child.process = started.hProcess;
    child.channel = own;
    child.pid = started.dwProcessId;
    return true;
}

bool sendState(const Child &child, const State &state)
{
    GuardProtocol::WindowsMessage whole;
    GuardProtocol::Message &message = whole.message;
    message.type = GuardProtocol::Type::State;
    HANDLE copy = nullptr;
    WSAPROTOCOL_INFOW info{};
    if (state.serial != -1
        && DuplicateHandle(GetCurrentProcess(), reinterpret_cast<HANDLE>(state.serial), asHandle(child.process),
                           &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        message.kind = GuardProtocol::Kind::Serial;
        whole.handle = reinterpret_cast<std::uintptr_t>(copy);
    } else if (state.serial == -1 && state.socket != -1
               && WSADuplicateSocketW(static_cast<SOCKET>(state.socket), child.pid, &info) == 0) {
        message.kind = GuardProtocol::Kind::Socket;
        std::memcpy(whole.socketInfo, &info, sizeof info);
    }
    message.holdMs = static_cast<std::uint16_t>(std::clamp(state.holdMs, 0, GuardProtocol::MaxHoldMs));
    message.prefixSize = static_cast<std::uint8_t>(std::min(state.prefixSize, GuardProtocol::MaxPrefix));
    if (message.prefixSize > 0)
        std::memcpy(message.prefix, state.prefix, message.prefixSize);
    message.bytesSize = static_cast<std::uint8_t>(std::min(state.bytesSize, GuardProtocol::MaxBytes));
    if (message.bytesSize > 0)
        std::memcpy(message.bytes, state.bytes, message.bytesSize);
    return writeWhole(asHandle(child.channel), &whole, sizeof whole);
}

bool sendDisarm(void *channel)
{
    return channel && writeWhole(asHandle(channel), &g_disarm, sizeof g_disarm);
}

int readAcks(const Child &child, void *stop, int timeoutMs)
{
    const HANDLE channel = asHandle(child.channel);
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!overlapped.hEvent)
        return Ended;
    char answers[64];
    DWORD got = 0;
    bool done = ReadFile(channel, answers, sizeof answers, &got, &overlapped) != 0;
    DWORD woke = WAIT_OBJECT_0;
    if (!done && GetLastError() == ERROR_IO_PENDING) {
        const HANDLE waits[2] = {overlapped.hEvent, asHandle(stop)};
        woke = WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, timeoutMs < 0 ? INFINITE : DWORD(timeoutMs));
        if (woke != WAIT_OBJECT_0)
            CancelIoEx(channel, &overlapped);
        // What came before the cancel still counts.
        done = GetOverlappedResult(channel, &overlapped, &got, TRUE) != 0;
    }
    const DWORD failure = done ? 0 : GetLastError();
    CloseHandle(overlapped.hEvent);
    if (done)
        return static_cast<int>(std::count(answers, answers + got, GuardProtocol::Ack));
    if (failure == ERROR_OPERATION_ABORTED)
        return woke == WAIT_TIMEOUT ? 0 : Stopped;
    return Ended;
}

bool waitForEnd(const Child &child, int timeoutMs, unsigned long &exitCode)
{
    DWORD code = 0;
    if (!child.process
        || WaitForSingleObject(asHandle(child.process), timeoutMs < 0 ? INFINITE : DWORD(timeoutMs))
               != WAIT_OBJECT_0
        || !GetExitCodeProcess(asHandle(child.process), &code))
        return false;
    exitCode = code;
    return true;
}

void kill(const Child &child)
{
    if (child.process)
        TerminateProcess(asHandle(child.process), 1);
}

void close(Child &child)
{
    if (child.channel)
        CloseHandle(asHandle(child.channel));
    if (child.process)
        CloseHandle(asHandle(child.process));
    child = {};
}
} // namespace GuardLaunch

#else

namespace GuardLaunch {
bool start(const wchar_t *, Child &, unsigned long &error, void *)
{
    error = 0;
    return false;
}
bool sendState(const Child &, const State &)
{
    return false;
}
bool sendDisarm(void *)
{
    return false;
}
int readAcks(const Child &, void *, int)
{
    return Ended;
}
bool waitForEnd(const Child &, int, unsigned long &)
{
    return false;
}
void kill(const Child &) {}
void close(Child &child)
{
    child = {};
}
} // namespace GuardLaunch

#endif
