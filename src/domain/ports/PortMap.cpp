// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/ports/PortMap.h"

#include <QFile>

namespace {
QString platformDevice(int port, const PortMap::Exists &exists)
{
#ifdef Q_OS_WIN
    Q_UNUSED(exists);
    return QStringLiteral("COM%1").arg(port);
#else
    const auto present = exists ? exists : [](const QString &path) { return QFile::exists(path); };
    const int index = port - 1;
    for (const char *stem : {"/dev/ttyUSB", "/dev/ttyACM", "/dev/ttyS"}) {
        const QString device = QString::fromLatin1(stem) + QString::number(index);
        if (present(device))
            return device;
    }
    return QStringLiteral("/dev/ttyS%1").arg(index);
#endif
}
} // namespace

PortTarget PortMap::target(int port) const
{
    if (const auto it = m_targets.constFind(port); it != m_targets.constEnd())
        return it.value();
    PortTarget own;
    own.number = port;
    return own;
}

void PortMap::set(int port, const PortTarget &target)
{
    m_targets.insert(port, target);
}

void PortMap::setUnavailable(int port)
{
    PortTarget nothing;
    nothing.kind = PortTarget::Kind::Device;
    set(port, nothing);
}

void PortMap::setDevice(int port, const QString &device)
{
    PortTarget target;
    target.kind = PortTarget::Kind::Device;
    target.device = device;
    set(port, target);
}

QString PortMap::serialDevice(int port, const Exists &exists) const
{
    const PortTarget mapped = target(port);
    switch (mapped.kind) {
    case PortTarget::Kind::Number: return platformDevice(mapped.number, exists);
    case PortTarget::Kind::Device: return mapped.device;
    case PortTarget::Kind::Tcp:
    case PortTarget::Kind::Rfc2217:
    case PortTarget::Kind::Socket: break;
    }
    return mapped.text();
}

QString PortMap::toolTip(int port, const Exists &exists) const
{
    const QString device = serialDevice(port, exists);
    switch (target(port).kind) {
    case PortTarget::Kind::Tcp:
        return device + QStringLiteral(" (serial server, raw TCP: its line runs at the baud rate chosen here)");
    case PortTarget::Kind::Rfc2217:
        return device
               + QStringLiteral(" (serial server, RFC 2217: its line is set to the baud rate chosen here)");
    case PortTarget::Kind::Socket:
        return device
               + QStringLiteral(" (instrument on the network: no serial line, the baud rate is not used)");
    case PortTarget::Kind::Number:
    case PortTarget::Kind::Device: break;
    }
    return device;
}
