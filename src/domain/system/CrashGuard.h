// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QByteArray>

// What the serial line gets when the program crashes: the bytes set here
// are written straight to the open port, if there is one, as the process
// ends on a fatal signal. Empty bytes: nothing is written.
class CrashGuard
{
public:
    virtual ~CrashGuard() = default;
    virtual void setCrashOutput(const QByteArray &bytes) = 0;
};
