#pragma once

#include "platform/PortTarget.h"

#include <QString>
#include <functional>

// Maps the program's port numbers ("COM 1" = 1) to what they connect to.
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

// What port n connects to: its mapping, or its own number.
PortTarget portMapping(int port);
void setPortMapping(int port, const PortTarget &target);
// Connects port n to nothing, so that it never opens: for a port whose
// mapping was asked for but cannot be read, which must not fall back to
// the platform's device (another instrument may be there). Its device name
// is empty.
void setPortUnavailable(int port);
void clearPortMappings();

// The serial device name of port n, following its mapping (a network mapping
// has none: its tcp:// text comes back). The port list's tooltips show it.
QString serialDeviceForPort(int port,
                            const std::function<bool(const QString &)> &exists = {});
// The port list's tooltip for port n: its device, and for a network target
// what kind it is and what the baud rate means there.
QString portToolTip(int port, const std::function<bool(const QString &)> &exists = {});

// Maps one port number to a fixed device, such as the far end of a
// pseudo-terminal (the demo and the tests).
void setSerialDeviceOverride(int port, const QString &device);
void clearSerialDeviceOverrides();
