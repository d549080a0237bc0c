// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/system/CrashGuard.h"

#include <QByteArray>

// What the crash path would do now: the port it writes to (a serial
// device's descriptor, or a network port's socket with its prefix and hold
// time) and the bytes; no bytes: nothing. A port is its native handle (a
// file descriptor, or on Windows a HANDLE or SOCKET), -1 for none.
struct CrashPath
{
    qintptr serialFd = -1;
    qintptr socketFd = -1;
    QByteArray prefix;
    int holdMs = 0;
    QByteArray bytes;

    bool operator==(const CrashPath &) const = default;
};

// Told each time the crash path changes, on the thread that changed it.
class CrashObserver
{
public:
    virtual ~CrashObserver() = default;
    virtual void crashPathChanged(const CrashPath &path) = 0;
};

// CrashGuard on the fatal signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL,
// SIGABRT). The handler only does what is safe in a crashed process: on a
// serial port it empties the driver's output queue and writes the prepared
// bytes with write(2); on a network port it writes the port's own prefix
// (an RFC 2217 server's purge) and the prepared bytes with send(2), then
// ends the sending direction in order, so that they are not lost to a
// reset. Then the signal takes its default action (ending the process,
// with a core dump where those are enabled). One per process.
// On Windows the same is done from the unhandled-exception filter (see
// WindowsCrashRelease); elsewhere install() does nothing and returns false.
class CrashSignals : public CrashGuard
{
public:
    CrashSignals() = default;
    ~CrashSignals() override;
    CrashSignals(const CrashSignals &) = delete;
    CrashSignals &operator=(const CrashSignals &) = delete;

    bool install();
    void setCrashOutput(const QByteArray &bytes) override;
    void setCrashPort(qintptr handle, int characterUs) override { setPortHandle(handle, characterUs); }
    void setCrashSocket(qintptr socket, const QByteArray &prefix, int holdMs) override
    {
        setSocketHandle(socket, prefix, holdMs);
    }

    // The open serial port's file descriptor (on Windows its HANDLE), -1
    // while none is open, and a character's time on its line (Windows waits
    // that long a byte after the write; a terminal is drained). Set by the
    // serial port as it opens and closes, through setCrashPort().
    static void setPortHandle(qintptr fd, int characterUs = 1042);
    // The open network port's socket, -1 while none is open, the bytes
    // that go before the prepared ones on it (at most MaxPrefixBytes), and
    // how long the connection is held open after them, so that a serial
    // server has put them on its line before the connection ends. Set by
    // the network port as it opens, changes its rate and closes, through
    // setCrashSocket().
    static void setSocketHandle(qintptr fd, const QByteArray &prefix = {}, int holdMs = 0);

    static constexpr int MaxPrefixBytes = 16;

    // One observer per process (nullptr: none); it is told the crash path
    // as it is now, at once and after every change.
    static void setObserver(CrashObserver *observer);
    // The guardian's channel (a socket's descriptor; on Windows the pipe's
    // HANDLE), -1 while none runs: once the handler has written the bytes
    // itself, it disarms the guardian, so that they go out once.
    static void setGuardianChannel(qintptr fd);

private:
    bool m_installed = false;
};
