// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/PortTarget.h"

#include <QHash>
#include <QString>
#include <functional>

// What the program's port numbers ("COM 1" = 1) connect to: part of an
// instrument session's configuration, handed to the port it opens.
//
// Unmapped, port n is the platform's device for n. On Windows that is
// "COMn". Elsewhere it is the first device that exists of /dev/ttyUSB{n-1},
// /dev/ttyACM{n-1}, /dev/ttyS{n-1}: a USB adapter is how instruments are
// attached today, and an on-board UART that exists but leads nowhere must
// not win over it. When none exists the ttyS name is returned, so opening
// fails as it should.
//
// A mapping (from the command line or the settings, or the demo's
// pseudo-terminal) connects a port to another port number, a device path
// or a TCP serial server instead.
class PortMap
{
public:
    // Whether a device path exists; the file system's answer when not given.
    using Exists = std::function<bool(const QString &)>;

    // What port n connects to: its mapping, or its own number.
    PortTarget target(int port) const;
    void set(int port, const PortTarget &target);
    // Connects port n to nothing, so that it never opens: for a port whose
    // mapping was asked for but cannot be read, which must not fall back to
    // the platform's device (another instrument may be there). Its device
    // name is empty.
    void setUnavailable(int port);
    // Connects port n to a fixed device, such as the far end of a
    // pseudo-terminal (the demo and the tests).
    void setDevice(int port, const QString &device);

    // The serial device name of port n, following its mapping (a network
    // mapping has none: its tcp:// text comes back). The port list's
    // tooltips show it.
    QString serialDevice(int port, const Exists &exists = {}) const;
    // The port list's tooltip for port n: its device, and for a network
    // target what kind it is and what the baud rate means there.
    QString toolTip(int port, const Exists &exists = {}) const;

    // No port mapped: every port is the platform's device for its number.
    bool isEmpty() const { return m_targets.isEmpty(); }
    bool operator==(const PortMap &other) const { return m_targets == other.m_targets; }

private:
    QHash<int, PortTarget> m_targets;
};
