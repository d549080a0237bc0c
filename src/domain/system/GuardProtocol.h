// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// What the program and its guardian, quorra-guard, say to each other over
// the local stream socket the guardian gets as descriptor ChannelFd. Plain
// C++: the guardian is built without Qt.
//
// The program sends fixed-size messages. A State message carries the port's
// descriptor as ancillary data (SCM_RIGHTS; none when no port is open) and
// what the guardian writes to it should the program end without a Disarm:
// the prefix, then the bytes. The guardian answers each State with one Ack
// byte once it holds the new port. Disarm: the guardian closes its copy of
// the port and ends, writing nothing. The end of the stream without a
// Disarm means the program is gone.

#include <cstddef>
#include <cstdint>

namespace GuardProtocol {
constexpr int ChannelFd = 3;
constexpr std::uint32_t Magic = 0x51475231; // "QGR1"

enum class Type : std::uint8_t { State = 1, Disarm = 2 };
enum class Kind : std::uint8_t { None = 0, Serial = 1, Socket = 2 };

constexpr std::size_t MaxPrefix = 16;
constexpr std::size_t MaxBytes = 240;
// The longest wait after the bytes on a network port.
constexpr int MaxHoldMs = 2000;

struct Message
{
    std::uint32_t magic = Magic;
    Type type = Type::State;
    Kind kind = Kind::None;
    std::uint16_t holdMs = 0; // how long the connection stays after the bytes
    std::uint8_t prefixSize = 0;
    std::uint8_t bytesSize = 0;
    std::uint8_t reserved[2] = {};
    char prefix[MaxPrefix] = {};
    char bytes[MaxBytes] = {};
};

constexpr char Ack = 'A';

// On Windows the channel is a pipe, both ways, and the guardian watches a
// handle of the program's process besides; both come as handle values on
// its command line (--channel H --program H). A State carries the port
// itself: a serial port's HANDLE, already duplicated into the guardian's
// process, or a socket's WSAPROTOCOL_INFOW from WSADuplicateSocketW, from
// which the guardian makes a socket of its own. The end of the pipe, or the
// program's process ending, without a Disarm means the program is gone.
constexpr std::size_t MaxSocketInfo = 640; // sizeof(WSAPROTOCOL_INFOW) is 628

struct WindowsMessage
{
    Message message;
    std::uint64_t handle = 0;            // Kind::Serial: the HANDLE in the guardian
    char socketInfo[MaxSocketInfo] = {}; // Kind::Socket
};
} // namespace GuardProtocol
