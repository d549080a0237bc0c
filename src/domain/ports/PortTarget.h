// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <optional>

// What a port of the program ("COM 1", "COM 2") is connected to, as the
// operator writes it:
//   a port number     "COM3", "COM 3", "3"     the platform's device for it
//   a device path     "/dev/ttyUSB3", "/dev/serial/by-id/...", "\\.\COM12"
//   a serial server   "tcp://HOST:PORT", "tcp://[::1]:PORT" (raw TCP in front
//                     of a serial line)
//   an RFC 2217 server "rfc2217://HOST:PORT" (a serial server that also takes
//                     the line's settings, Telnet Com Port Control)
//   an instrument     "TCPIP::HOST::PORT::SOCKET", "TCPIP0::..." (the VISA
//                     form: the instrument's own socket, no serial line)
struct PortTarget
{
    enum class Kind { Number, Device, Tcp, Rfc2217, Socket };
    Kind kind = Kind::Number;
    int number = 0; // Number
    QString device; // Device
    QString host;   // Tcp, Rfc2217, Socket
    quint16 tcpPort = 0;

    // Reached over the network (every kind but Number and Device).
    bool isNetwork() const { return kind == Kind::Tcp || kind == Kind::Rfc2217 || kind == Kind::Socket; }
    // The target written back in its canonical form: "COM3", the path,
    // "tcp://host:port", "rfc2217://host:port", "TCPIP::host::port::SOCKET".
    QString text() const;
    bool operator==(const PortTarget &) const = default;
};

// Reads a port target as the operator writes it. On failure returns nothing and, when asked,
// says what is wrong in *error.
std::optional<PortTarget> parsePortTarget(const QString &text, QString *error = nullptr);
