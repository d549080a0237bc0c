// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/TcpCable.h"

TcpCable::TcpCable(quint16 port, QObject *parent) : SourceCable(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpCable::adopt);
    if (!m_server.listen(QHostAddress::LocalHost, port))
        m_error = QStringLiteral("cannot listen on 127.0.0.1:%1: %2").arg(port).arg(m_server.errorString());
}

QString TcpCable::farEndPath() const
{
    return QStringLiteral("tcp://127.0.0.1:%1").arg(m_server.serverPort());
}

void TcpCable::adopt()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        m_sockets.append(socket);
        connect(socket, &QTcpSocket::readyRead, this, [this] {
            if (m_watching)
                emit readyRead();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        // Bytes may have come with the connection itself.
        if (socket->bytesAvailable() > 0 && m_watching)
            emit readyRead();
    }
}

QByteArray TcpCable::readAvailable()
{
    QByteArray data;
    m_sockets.removeAll(nullptr);
    for (const QPointer<QTcpSocket> &socket : m_sockets)
        if (socket->isOpen()) // a dropped connection is closed until it is deleted
            data += socket->readAll();
    return data;
}

void TcpCable::dropConnections()
{
    for (const QPointer<QTcpSocket> &socket : m_sockets)
        if (socket)
            socket->abort();
}

int TcpCable::connectionCount() const
{
    int n = 0;
    for (const QPointer<QTcpSocket> &socket : m_sockets)
        n += socket && socket->state() == QAbstractSocket::ConnectedState;
    return n;
}
