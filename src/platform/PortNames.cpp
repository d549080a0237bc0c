#include "platform/PortNames.h"

#include <QFile>
#include <QHash>

namespace {
QHash<int, PortSpec> &mappings()
{
    static QHash<int, PortSpec> map;
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

PortSpec portMapping(int port)
{
    if (const auto it = mappings().constFind(port); it != mappings().constEnd())
        return it.value();
    PortSpec own;
    own.number = port;
    return own;
}

void setPortMapping(int port, const PortSpec &spec)
{
    mappings().insert(port, spec);
}

void clearPortMappings()
{
    mappings().clear();
}

QString serialDeviceForPort(int port, const std::function<bool(const QString &)> &exists)
{
    const PortSpec spec = portMapping(port);
    switch (spec.kind) {
    case PortSpec::Kind::Number:
        return platformDevice(spec.number, exists);
    case PortSpec::Kind::Device:
        return spec.device;
    case PortSpec::Kind::Tcp:
        break;
    }
    return spec.text();
}

QString portDescription(int port)
{
    return serialDeviceForPort(port);
}

void setSerialDeviceOverride(int port, const QString &device)
{
    PortSpec spec;
    spec.kind = PortSpec::Kind::Device;
    spec.device = device;
    setPortMapping(port, spec);
}

void clearSerialDeviceOverrides()
{
    clearPortMappings();
}
