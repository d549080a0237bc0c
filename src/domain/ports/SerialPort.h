// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <functional>

class CrashGuard;
class PortMap;

// The serial line to the instrument, reduced to what the program asks of
// it: the port's number, its line settings, opening and closing, writing,
// and what is still on its way. The link is write-only: nothing is ever
// read back.
class SerialPort
{
public:
    virtual ~SerialPort() = default;

    // Port number (1 = "COM 1"); only changed while the port is closed.
    virtual qint16 CommPort() const = 0;
    virtual void setCommPort(qint16 port) = 0;
    // What the port numbers connect to; the port looks its number up in it
    // each time it opens. A port that connects to nothing of its own (a
    // fake) ignores it.
    virtual void setPortMap(const PortMap &) {}

    // Line settings as "<baud>,n,8,1". Applies at once to an open port.
    // Returns false when the text cannot be applied.
    virtual QString Settings() const = 0;
    virtual bool setSettings(const QString &settings) = 0;

    // Opening can fail (no such device, busy, no permission): returns false.
    virtual bool PortOpen() const = 0;
    virtual bool setPortOpen(bool open) = 0;
    // Why the last open failed, in a few words ("connection refused", "no
    // such device"); empty when it opened or the port cannot tell.
    virtual QString openFailure() const { return {}; }
    // Whether the last close saw every byte written leave: false when the
    // far end took none of the last bytes before the close gave up on it
    // (a server that does not read, a line held by flow control).
    virtual bool closeDelivered() const { return true; }

    // Hands the text to the serial service, one byte per character
    // (Latin-1). Does not wait for the bytes to leave. Returns false when
    // the port is closed or the write failed.
    virtual bool setOutput(const QString &text) = 0;

    // Milliseconds the bytes already handed over still need to leave: what
    // the port and the driver still hold, and never less than the line's
    // rate allows since they were written (an adapter keeps bytes of its own
    // that no driver counts). 0 when the line is idle or the port closed.
    virtual int OutputPendingMs() const = 0;

    // Drops every byte not yet on the line: the port's own buffer and the
    // driver's queue. Returns true when bytes were still on their way, so
    // that the command on the wire may have been cut short.
    virtual bool discardOutput() = 0;
    // How many bytes the last discardOutput() dropped, where the port can
    // count them (its buffer and the driver's queue); -1 where it cannot.
    virtual qint64 discardedBytes() const { return -1; }

    // Asked at each slice of an open that waits (a connect): while it holds,
    // the open gives up. Called on the port's thread; where an open never
    // waits, the port needs none.
    virtual void setOpenAbandoned(std::function<bool()> abandoned) { (void)abandoned; }
    // The crash path the port tells where its bytes go, as it opens and
    // closes (nullptr: none). A port with no handle of its own needs none.
    virtual void setCrashGuard(CrashGuard *guard) { (void)guard; }
    // Raised when an open port fails on its own (adapter unplugged, far end
    // gone). The port has already been closed when this runs.
    std::function<void()> onLinkLost;
};
