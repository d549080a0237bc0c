// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "platform/CrashSignals.h"
#include "platform/Platform.h"
#include "platform/QtBusyPointer.h"
#include "platform/QtFileDialog.h"
#include "platform/QtMessageBox.h"
#include "platform/QtTimer.h"
#include "platform/RoutedPort.h"

// The real platform services, owned together.
struct QtPlatform
{
    RoutedPort port; // serial, or TCP for a tcp:// mapping
    QtTimer timer;
    QtMessageBox messages;
    QtFileDialog files;
    QtBusyPointer busy;
    CrashSignals crash;

    QtPlatform() { crash.install(); }
    Platform bundle() { return {&port, &timer, &messages, &files, &busy, &crash, true}; }
};
