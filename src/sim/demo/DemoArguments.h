// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "sim/demo/DryRun.h"
#include "sim/source/SourceLink.h"

#include <QString>
#include <QStringList>
#include <optional>

// The command line of quorra-demo:
//   quorra-demo                               the window and the source's panel
//   quorra-demo --show FILE [options]         the same, playing FILE at once
//   quorra-demo --play FILE [options]         a dry run without a window
//   quorra-demo --serve [--tcp [--listen P]]  the source alone, no window,
//                                             until SIGINT or SIGTERM
// options: --mode single|continuous|cycle N (or --cycles N),
//          --baud 1200|2400|4800|9600, --seconds S (press STOP after S seconds),
//          --tcp (the source behind a serial server on 127.0.0.1, live only)
struct DemoArguments
{
    std::optional<QString> play;
    std::optional<QString> show;
    PlayOptions options;
    SourceLink::Cable cable = SourceLink::Cable::Pty;
    bool serve = false;
    quint16 listenPort = 0; // --listen: the TCP port; 0 takes a free one

    // Set when the demo ends at once: what to print and the exit status.
    bool exitNow = false;
    int exitStatus = 0;
    QString standardOutput;
    QString standardError;
};

DemoArguments parseDemoArguments(const QStringList &arguments);
