// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/QtSerialPort.h"
#include "domain/ports/TcpPort.h"

// The program's port: a serial port, or a TCP connection when the port's
// mapping is a network one (tcp://, rfc2217://, TCPIP::...::SOCKET). The
// choice is made each time the port opens; the port number and line
// settings go to both, so either is ready.
//
// A QObject whose children are the two ports, so that moving it to another
// thread moves them.
class RoutedPort : public QObject, public SerialPort
{
    Q_OBJECT
public:
    explicit RoutedPort(QObject *parent = nullptr);

    qint16 CommPort() const override { return m_serial.CommPort(); }
    void setCommPort(qint16 port) override;
    // Both ports get the map; this one chooses by it at each open.
    void setPortMap(const PortMap &map) override;
    QString Settings() const override { return m_serial.Settings(); }
    bool setSettings(const QString &settings) override;
    bool PortOpen() const override { return active().PortOpen(); }
    bool setPortOpen(bool open) override;
    QString openFailure() const override { return active().openFailure(); }
    // A serial open never waits; a connect does.
    void setOpenAbandoned(std::function<bool()> abandoned) override
    {
        m_tcp.setOpenAbandoned(std::move(abandoned));
    }
    void setCrashGuard(CrashGuard *guard) override
    {
        m_serial.setCrashGuard(guard);
        m_tcp.setCrashGuard(guard);
    }
    bool closeDelivered() const override { return active().closeDelivered(); }
    bool setOutput(const QString &text) override { return active().setOutput(text); }
    int OutputPendingMs() const override { return active().OutputPendingMs(); }
    bool discardOutput() override { return active().discardOutput(); }
    qint64 discardedBytes() const override { return active().discardedBytes(); }

    bool isTcp() const { return m_useTcp; }
    QtSerialPort &serial() { return m_serial; }
    TcpPort &tcp() { return m_tcp; }

private:
    SerialPort &active() { return m_useTcp ? static_cast<SerialPort &>(m_tcp) : m_serial; }
    const SerialPort &active() const { return m_useTcp ? static_cast<const SerialPort &>(m_tcp) : m_serial; }

    QtSerialPort m_serial{this};
    TcpPort m_tcp{this};
    bool m_useTcp = false;
    PortMap m_portMap;
};
