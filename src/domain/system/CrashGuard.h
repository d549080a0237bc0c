// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QByteArray>
#include <QtGlobal>

// What the serial line gets when the program crashes: the bytes set here
// are written straight to the open port, if there is one, as the process
// ends on a fatal signal. Empty bytes: nothing is written.
class CrashGuard
{
public:
    // The most bytes a crash writes.
    static constexpr int MaxBytes = 120;

    virtual ~CrashGuard() = default;
    virtual void setCrashOutput(const QByteArray &bytes) = 0;
    // Where they go, as the ports tell it while they open and close: the
    // serial port's handle (-1: none open) and a character's time on its
    // line; the network port's socket (-1: none), the bytes that go before
    // the prepared ones on it, and how long the connection is held after.
    virtual void setCrashPort(qintptr handle, int characterUs) = 0;
    virtual void setCrashSocket(qintptr socket, const QByteArray &prefix, int holdMs) = 0;
};
