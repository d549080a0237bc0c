// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/ports/RoutedPort.h"

RoutedPort::RoutedPort(QObject *parent) : QObject(parent)
{
    for (SerialPort *inner : {static_cast<SerialPort *>(&m_serial), static_cast<SerialPort *>(&m_tcp)})
        inner->onLinkLost = [this] {
            if (onLinkLost)
                onLinkLost();
        };
}

void RoutedPort::setCommPort(qint16 port)
{
    m_serial.setCommPort(port);
    m_tcp.setCommPort(port);
}

void RoutedPort::setPortMap(const PortMap &map)
{
    m_portMap = map;
    m_serial.setPortMap(map);
    m_tcp.setPortMap(map);
}

bool RoutedPort::setSettings(const QString &settings)
{
    const bool tcpOk = m_tcp.setSettings(settings);
    const bool serialOk = m_serial.setSettings(settings);
    return m_useTcp ? tcpOk : serialOk;
}

bool RoutedPort::setPortOpen(bool open)
{
    if (!open || PortOpen())
        return active().setPortOpen(open);
    m_useTcp = m_portMap.target(CommPort()).isNetwork();
    return active().setPortOpen(true);
}
