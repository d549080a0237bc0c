// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/ports/Rfc2217Framing.h"

#ifndef QUORRA_NO_RFC2217
#include <libtelnet.h>

namespace {
// The options this end takes part in; libtelnet refuses every other one.
const telnet_telopt_t Options[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {Rfc2217Framing::ComPortOption, TELNET_WILL, TELNET_DONT},
    {-1, 0, 0},
};

unsigned char parityCode(char parity)
{
    switch (parity) {
    case 'o': return 2;
    case 'e': return 3;
    case 'm': return 4;
    case 's': return 5;
    default: return 1; // none
    }
}
} // namespace

Rfc2217Framing::Rfc2217Framing() : m_telnet(telnet_init(Options, &Rfc2217Framing::onEvent, 0, this)) {}

Rfc2217Framing::~Rfc2217Framing()
{
    if (m_telnet)
        telnet_free(m_telnet);
}

void Rfc2217Framing::onEvent(telnet_t *, telnet_event_t *event, void *self)
{
    // Data from the server is the instrument's: a write-only link drops it.
    if (event->type == TELNET_EV_SEND)
        static_cast<Rfc2217Framing *>(self)->m_out.append(event->data.buffer,
                                                          static_cast<qsizetype>(event->data.size));
}

QByteArray Rfc2217Framing::take()
{
    QByteArray out;
    out.swap(m_out);
    return out;
}

QByteArray Rfc2217Framing::opening(const LineSettings &line)
{
    if (!m_telnet)
        return {};
    telnet_negotiate(m_telnet, TELNET_WILL, TELNET_TELOPT_BINARY);
    telnet_negotiate(m_telnet, TELNET_DO, TELNET_TELOPT_BINARY);
    telnet_negotiate(m_telnet, TELNET_WILL, ComPortOption);
    const QByteArray offers = take();
    return offers + lineSettings(line);
}

QByteArray Rfc2217Framing::command(unsigned char code, const QByteArray &value)
{
    if (!m_telnet)
        return {};
    const QByteArray body = QByteArray(1, static_cast<char>(code)) + value;
    telnet_subnegotiation(m_telnet, ComPortOption, body.constData(), static_cast<size_t>(body.size()));
    return take();
}

QByteArray Rfc2217Framing::lineSettings(const LineSettings &line)
{
    const auto baud = static_cast<quint32>(line.baud);
    QByteArray rate(4, '\0'); // network byte order
    for (int i = 0; i < 4; ++i)
        rate[i] = static_cast<char>((baud >> (8 * (3 - i))) & 0xFF);
    // One after the other: the order of a sum's operands is not fixed.
    QByteArray out = command(SetBaudRate, rate);
    out += command(SetDataSize, QByteArray(1, static_cast<char>(line.dataBits)));
    out += command(SetParity, QByteArray(1, static_cast<char>(parityCode(line.parity))));
    out += command(SetStopSize, QByteArray(1, static_cast<char>(line.stopBits)));
    out += command(SetControl, QByteArray(1, '\x01')); // no flow control
    return out;
}

QByteArray Rfc2217Framing::purgeTransmit()
{
    return command(PurgeData, QByteArray(1, static_cast<char>(PurgeTransmit)));
}

QByteArray Rfc2217Framing::data(const QByteArray &bytes)
{
    if (!m_telnet)
        return bytes;
    telnet_send(m_telnet, bytes.constData(), static_cast<size_t>(bytes.size()));
    return take();
}

QByteArray Rfc2217Framing::received(const QByteArray &bytes)
{
    if (!m_telnet)
        return {};
    telnet_recv(m_telnet, bytes.constData(), static_cast<size_t>(bytes.size()));
    return take();
}

#else

// Built without libtelnet: rfc2217:// is refused where a port is named, so
// none of this is ever called.
Rfc2217Framing::Rfc2217Framing() = default;
Rfc2217Framing::~Rfc2217Framing() = default;
QByteArray Rfc2217Framing::opening(const LineSettings &)
{
    return {};
}
QByteArray Rfc2217Framing::lineSettings(const LineSettings &)
{
    return {};
}
QByteArray Rfc2217Framing::purgeTransmit()
{
    return {};
}
QByteArray Rfc2217Framing::data(const QByteArray &bytes)
{
    return bytes;
}
QByteArray Rfc2217Framing::received(const QByteArray &)
{
    return {};
}

#endif
