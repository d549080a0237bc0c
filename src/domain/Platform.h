// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

class SerialPort;
class Timer;
class MessageBox;
class FileDialog;
class BusyPointer;
class CrashGuard;

// The platform services the main window works through. The program passes
// the Qt implementations, the tests pass fakes. Not owned.
struct Platform
{
    SerialPort *port = nullptr;
    Timer *timer = nullptr;
    MessageBox *messages = nullptr;
    FileDialog *files = nullptr;
    BusyPointer *busy = nullptr;
    CrashGuard *crash = nullptr; // optional
};
