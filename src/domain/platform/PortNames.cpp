#include "platform/PortNames.h"

#include <QFile>
#include <QHash>

namespace {
QHash<int, PortTarget> &mappings()
{
    static QHash<int, PortTarget> map;
    return map;
}

QString platformDevice(int port, const std::function<bool(const QString &)> &exists)
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

PortTarget portMapping(int port)
{
    if (const auto it = mappings().constFind(port); it != mappings().constEnd())
        return it.value();
    PortTarget own;
    own.number = port;
    return own;
}

void setPortMapping(int port, const PortTarget &target)
{
    mappings().insert(port, target);
}

void setPortUnavailable(int port)
{
    PortTarget nothing;
    nothing.kind = PortTarget::Kind::Device;
    setPortMapping(port, nothing);
}

void clearPortMappings()
{
    mappings().clear();
}

QString serialDeviceForPort(int port, const std::function<bool(const QString &)> &exists)
{
    const PortTarget target = portMapping(port);
    switch (target.kind) {
    case PortTarget::Kind::Number:
        return platformDevice(target.number, exists);
    case PortTarget::Kind::Device:
        return target.device;
    case PortTarget::Kind::Tcp:
    case PortTarget::Kind::Rfc2217:
    case PortTarget::Kind::Socket:
        break;
    }
    return target.text();
}

QString portToolTip(int port, const std::function<bool(const QString &)> &exists)
{
    const QString device = serialDeviceForPort(port, exists);
    switch (portMapping(port).kind) {
    case PortTarget::Kind::Tcp:
        return device + QStringLiteral(" (serial server, raw TCP: its line runs at the baud rate chosen here)");
    case PortTarget::Kind::Rfc2217:
        return device + QStringLiteral(" (serial server, RFC 2217: its line is set to the baud rate chosen here)");
    case PortTarget::Kind::Socket:
        return device + QStringLiteral(" (instrument on the network: no serial line, the baud rate is not used)");
    case PortTarget::Kind::Number:
    case PortTarget::Kind::Device:
        break;
    }
    return device;
}

void setSerialDeviceOverride(int port, const QString &device)
{
    PortTarget target;
    target.kind = PortTarget::Kind::Device;
    target.device = device;
    setPortMapping(port, target);
}

void clearSerialDeviceOverrides()
{
    clearPortMappings();
}
