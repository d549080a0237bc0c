// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "sim/source/SourceCable.h"

#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// The virtual source behind a serial server: it listens on a TCP port of
// 127.0.0.1 only (never on the network) and takes what every connection
// writes, in order. The program connects anew each time it opens its port.
// The serial side of the server runs at fixed line settings, as a real
// converter's does, whatever the program chose.
//
// Driven by the event loop: the live demo and the tests, not a dry run.
class TcpCable : public SourceCable
{
    Q_OBJECT
public:
    // Port 0 takes any free port.
    explicit TcpCable(quint16 port = 0, QObject *parent = nullptr);

    bool isOpen() const override { return m_server.isListening(); }
    QString errorText() const override { return m_error; }
    QString farEndPath() const override;
    LineSettings lineSettings() const override { return m_line; }
    QByteArray readAvailable() override;
    void setWatching(bool watching) override { m_watching = watching; }

    // Drops every connection, as a serial server that goes away does.
    void dropConnections();
    int connectionCount() const;

private:
    void adopt();

    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_sockets;
    LineSettings m_line;
    QString m_error;
    bool m_watching = false;
};
