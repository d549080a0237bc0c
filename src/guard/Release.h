// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/system/GuardProtocol.h"

#include <string>

// What the guardian holds while the program lives: its own copy of the
// port and what goes on it should the program end under remote control.
struct HeldPort
{
    int fd = -1;
    GuardProtocol::Kind kind = GuardProtocol::Kind::None;
    std::string prefix;
    std::string bytes;
    int holdMs = 0;
};

// Writes the held bytes to the port as the program's own crash path does,
// and waits until they have left: on a serial device the driver's queue is
// emptied first, the bytes written and drained; on a socket the prefix and
// the bytes are sent, the peer's acknowledgement of all of them awaited,
// then the hold time, then the sending direction is ended in order.
// Gives up after deadlineMs. True when everything left.
bool releasePort(const HeldPort &port, int deadlineMs);

// The port as the system log names it: the device, or the peer's address.
std::string portName(const HeldPort &port);
