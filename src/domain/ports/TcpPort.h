// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/LinePace.h"
#include "domain/ports/PortMap.h"
#include "domain/ports/PortTarget.h"
#include "domain/ports/SerialPort.h"

#include <QObject>
#include <QTcpSocket>
#include <functional>
#include <memory>

class Rfc2217Framing;

// SerialPort on a TCP connection, to the network mapping of its port
// number, connected when the port opens:
//  - tcp://      a serial server in front of a line at the chosen rate. The
//                line sets the pace, as on a serial port: pending is the
//                larger of what the connection has not had acknowledged
//                and what the rate allows since the bytes were written.
//                The server's own settings are its business.
//  - rfc2217://  the same, and the server is told the line's settings at
//                open and at every change; a cut queue purges the server's
//                transmit buffer first.
//  - TCPIP::...::SOCKET  an instrument on the network, no line behind it:
//                pending is what its stack has not acknowledged.
// What a server has taken and not yet sent on its line is out of sight; the
// pace keeps it to the last step's commands. Closing sends what was
// written, ends the connection in order and waits, bounded, for the server
// to close its side: never a reset while it may still be reading.
class TcpPort : public QObject, public SerialPort
{
    Q_OBJECT
public:
    static constexpr int ConnectTimeoutMs = 3000;
    static constexpr int MaxCloseWaitMs = 2000;

    explicit TcpPort(QObject *parent = nullptr);
    ~TcpPort() override;

    qint16 CommPort() const override { return m_commPort; }
    void setCommPort(qint16 port) override { m_commPort = port; }
    void setPortMap(const PortMap &map) override { m_portMap = map; }
    QString Settings() const override { return m_settings; }
    bool setSettings(const QString &settings) override;
    bool PortOpen() const override { return m_linked; }
    bool setPortOpen(bool open) override;
    QString openFailure() const override { return m_openFailure; }
    void setOpenAbandoned(std::function<bool()> abandoned) override { m_openAbandoned = std::move(abandoned); }
    void setCrashGuard(CrashGuard *guard) override { m_crash = guard; }
    bool closeDelivered() const override { return m_closeDelivered; }
    bool setOutput(const QString &text) override;
    int OutputPendingMs() const override;
    // What was handed to the connection cannot be taken back; an RFC 2217
    // server is asked to drop what it holds for its line. Returns true when
    // bytes were on their way and may have been cut (RFC 2217 only: on a
    // plain connection every byte handed over arrives).
    bool discardOutput() override;

    // What the open connection leads to.
    PortTarget::Kind kind() const { return m_kind; }

    // The clock the line's rate is counted on (see LinePace).
    using Clock = LinePace::Clock;
    void setClock(Clock clock) { m_pace.setClock(std::move(clock)); }

private:
    bool connectTo(const PortTarget &target);
    void armCrashPath();
    int pendingMs() const;
    bool writeFramed(const QByteArray &bytes);
    qint64 bytesQueued() const; // in the socket's buffer and not acknowledged
    bool pacedByLine() const { return m_kind != PortTarget::Kind::Socket; }
    void readServer();
    void closeAfterDrain();
    void dropLink();

    QTcpSocket m_socket{this}; // a child: it moves to another thread with the port
    PortTarget::Kind m_kind = PortTarget::Kind::Tcp;
    std::unique_ptr<Rfc2217Framing> m_telnet; // rfc2217:// only
    QString m_openFailure;                    // why the last open failed
    std::function<bool()> m_openAbandoned;    // the operator gave the open up
    CrashGuard *m_crash = nullptr;            // told the socket while connected
    bool m_closeDelivered = true;             // the last close saw the server take everything
    QByteArray m_crashPrefix;                 // the purge, on rfc2217://
    qint16 m_commPort = 1;
    PortMap m_portMap;
    QString m_settings = QStringLiteral("9600,n,8,1");
    bool m_linked = false; // connected by setPortOpen and not yet closed or lost
    LinePace m_pace;       // the server's line
};
