// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "app/CommandLine.h"
#include "domain/ports/PortMap.h"

#include <QStringList>

class QSettings;

// The port map the settings and the command line make.
struct PortMappings
{
    PortMap map;
    // One line for each setting that cannot be read: the setting, its file
    // and why.
    QStringList warnings;
};

// Connects "COM 1" and "COM 2" as the settings Ports/COM1 and Ports/COM2
// say, the command line's --com1 and --com2 overriding them. A setting that
// cannot be read makes its port one that does not open (never the
// platform's device for it), with a warning. Without settings only the
// command line counts. The map goes to the session that opens the ports.
PortMappings applyPortMappings(const ProgramOptions &options, const QSettings *settings);
