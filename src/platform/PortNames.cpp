#include "platform/PortNames.h"

#include <QFile>
#include <QHash>

namespace {
QHash<int, QString> &overrides()
{
    static QHash<int, QString> map;
    return map;
}
} // namespace

QString serialDeviceForPort(int port, const std::function<bool(const QString &)> &exists)
{
    if (const auto it = overrides().constFind(port); it != overrides().constEnd())
        return it.value();
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

void setSerialDeviceOverride(int port, const QString &device)
{
    overrides().insert(port, device);
}

void clearSerialDeviceOverrides()
{
    overrides().clear();
}
