#pragma once

#include <QString>
#include <functional>

// Maps the program's port numbers ("COM 1" = 1) to the platform's device
// names. On Windows that is "COMn". Elsewhere it is the first device that
// exists of /dev/ttyUSB{n-1}, /dev/ttyACM{n-1}, /dev/ttyS{n-1}: a USB adapter
// is how instruments are attached today, and an on-board UART that exists
// but leads nowhere must not win over it. When none exists the ttyS name is
// returned, so opening fails as it should.
//
// An override (used by the virtual instrument's demo) maps one port number
// to a fixed device, such as the far end of a pseudo-terminal.
QString serialDeviceForPort(int port,
                            const std::function<bool(const QString &)> &exists = {});

void setSerialDeviceOverride(int port, const QString &device);
void clearSerialDeviceOverrides();
