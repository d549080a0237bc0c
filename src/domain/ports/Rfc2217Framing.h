// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/LineSettings.h"

#include <QByteArray>

struct telnet_t;
union telnet_event_t;

// The Telnet side of a serial server that speaks the Com Port Control
// option (RFC 2217): every byte for the line goes out as Telnet data (a
// 255 doubled), the line's settings and the purge of the server's
// transmit buffer go out as Com Port commands, and what the server sends
// back is read for its option negotiation only. Each call returns the
// bytes to write to the connection. Nothing here waits for an answer: the
// server acknowledges settings, but none of them is needed before data can
// follow, and some (a modem line on a device that has none) never come.
// libtelnet does the framing.
class Rfc2217Framing
{
public:
    static constexpr unsigned char ComPortOption = 44;
    // Com Port commands, client to server.
    enum Command : unsigned char {
        SetBaudRate = 1,
        SetDataSize = 2,
        SetParity = 3,
        SetStopSize = 4,
        SetControl = 5,
        PurgeData = 12,
    };
    static constexpr unsigned char PurgeTransmit = 2; // the server's buffer towards the device

    Rfc2217Framing();
    ~Rfc2217Framing();
    Rfc2217Framing(const Rfc2217Framing &) = delete;
    Rfc2217Framing &operator=(const Rfc2217Framing &) = delete;

    // The start of the connection: the Com Port option and binary
    // transmission offered (a lone CR is then data, not half a Telnet line
    // end), followed at once by the line's settings.
    QByteArray opening(const LineSettings &line);
    // Rate, data bits, parity, stop bits and no flow control.
    QByteArray lineSettings(const LineSettings &line);
    // Asks the server to drop what it holds for the device.
    QByteArray purgeTransmit();
    QByteArray data(const QByteArray &bytes);
    // What the server sent: answers to its negotiation, if any.
    QByteArray received(const QByteArray &bytes);

private:
    static void onEvent(telnet_t *telnet, telnet_event_t *event, void *self);
    QByteArray command(unsigned char code, const QByteArray &value);
    QByteArray take();

    telnet_t *m_telnet = nullptr;
    QByteArray m_out;
};
