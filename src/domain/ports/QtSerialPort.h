// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/LinePace.h"
#include "domain/ports/PortMap.h"
#include "domain/ports/SerialPort.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <functional>

// SerialPort on QSerialPort: opened write-only, 8N1, no flow control.
class QtSerialPort : public QObject, public SerialPort
{
    Q_OBJECT
public:
    explicit QtSerialPort(QObject *parent = nullptr);
    ~QtSerialPort() override;

    qint16 CommPort() const override { return m_commPort; }
    void setCommPort(qint16 port) override { m_commPort = port; }
    void setPortMap(const PortMap &map) override { m_portMap = map; }
    QString Settings() const override { return m_settings; }
    bool setSettings(const QString &settings) override;
    bool PortOpen() const override { return m_port.isOpen(); }
    bool setPortOpen(bool open) override;
    QString openFailure() const override { return m_openFailure; }
    void setCrashGuard(CrashGuard *guard) override { m_crash = guard; }
    bool closeDelivered() const override { return m_closeDelivered; }
    bool setOutput(const QString &text) override;
    int OutputPendingMs() const override;
    bool discardOutput() override;
    qint64 discardedBytes() const override { return m_discardedBytes; }

    // The clock the line's rate is counted on (see LinePace).
    using Clock = LinePace::Clock;
    void setClock(Clock clock) { m_pace.setClock(std::move(clock)); }

private:
    bool applySettings();
    void closeAfterDrain();
    bool driverHasRoom(qint64 bytes);
    qint64 bytesQueued() const; // in the port's buffer and the driver's queue
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void checkHangup();
    void loseLink(); // closes the port and says so, once

    QSerialPort m_port{this}; // a child: it moves to another thread with the port
    qint16 m_commPort = 1;
    PortMap m_portMap;
    QString m_settings = QStringLiteral("9600,n,8,1");
    static constexpr qint64 GuaranteedRoom = 2048;
    QString m_openFailure;         // why the last open failed
    CrashGuard *m_crash = nullptr; // told the handle while open
    bool m_closeDelivered = true;  // the last close saw every byte leave
    qint64 m_knownRoom = 0;        // bytes the driver is known to take without blocking
    qint64 m_discardedBytes = -1;  // by the last discardOutput()
    bool m_flushing = false;       // inside the forced write of setOutput()
    LinePace m_pace;
    // The port only writes: a far end gone (an adapter pulled, a pseudo-
    // terminal closed) would be seen only at the next write, which a long
    // step puts off by up to two minutes. Looked for while open.
    static constexpr int HangupCheckMs = 250;
    QTimer m_hangupCheck{this};
};
