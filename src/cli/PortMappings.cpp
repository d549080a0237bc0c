#include "cli/PortMappings.h"

#include "platform/PortNames.h"

#include <QSettings>

QStringList applyPortMappings(const ProgramOptions &options, const QSettings *settings)
{
    QStringList warnings;
    const std::optional<PortTarget> given[] = {options.com1, options.com2};
    for (int port = 1; port <= 2; ++port) {
        if (given[port - 1]) {
            setPortMapping(port, *given[port - 1]);
            continue;
        }
        const QString key = QStringLiteral("Ports/COM%1").arg(port);
        const QString text = settings ? settings->value(key).toString() : QString();
        if (text.isEmpty())
            continue;
        QString why;
        if (const auto target = parsePortTarget(text, &why))
            setPortMapping(port, *target);
        else
            warnings << QStringLiteral("setting %1 ignored: %2").arg(key, why);
    }
    return warnings;
}
