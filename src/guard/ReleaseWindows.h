// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/system/GuardProtocol.h"

#include <cstdint>
#include <string>

// What the guardian holds on Windows while the program lives: its own copy
// of the port (a serial port's HANDLE or a SOCKET, as a value) and what
// goes on it should the program end under remote control.
struct HeldHandle
{
    GuardProtocol::Kind kind = GuardProtocol::Kind::None;
    std::uintptr_t handle = 0;
    std::string prefix;
    std::string bytes;
    int holdMs = 0;
};

// The port and bytes of a State message; the socket is made from its
// description here. Kind::None when the port could not be taken.
HeldHandle takeHandle(const GuardProtocol::WindowsMessage &message);

// Closes the held port, writing nothing.
void closeHandle(HeldHandle &held);

// Writes the held bytes as the program's own crash path does, and waits
// until they have left: on a serial port the driver's queue is purged,
// the bytes written and given their time on the line (from the port's
// rate and framing); on a socket the prefix and the bytes are sent, the
// hold time waited, what the server sent read and dropped, and the
// sending direction ended in order. Gives up after deadlineMs. True when
// everything left.
bool releaseHandle(const HeldHandle &held, int deadlineMs);

// The port as the log names it: the serial port, or the peer's address.
std::string handleName(const HeldHandle &held);
