// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "sim/source/SourceLink.h"

class QTextStream;

// The virtual source alone, without a window: for a run of the program
// from a script, or a window elsewhere. Prints what the program's port must
// connect to (a device path or tcp://127.0.0.1:PORT) as its first line,
// then each line the source carries out, with its time and any error,
// until SIGINT or SIGTERM. Returns the exit status: 0, or 1 when the cable
// cannot be set up.
int serveSource(SourceLink::Cable cable, quint16 tcpPort, QTextStream &out);
