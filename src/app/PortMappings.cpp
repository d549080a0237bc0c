// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "app/PortMappings.h"

#include <QSettings>

namespace {
// Set while a setting is read: what Qt would say about it goes here.
QStringList *g_qtSays = nullptr;

void noteQtMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    if (g_qtSays)
        *g_qtSays << message;
}

// A setting as the text it holds; nothing when it is absent or empty. A
// port is written as text, but QSettings reads some texts as other types
// ("a, b" as a list, "@Point(1 2)" as a point) and warns in its own words
// about a stored value it cannot decode: each of these is said here, in
// the program's words, in *why.
std::optional<QString> textSetting(const QSettings &settings, const QString &key, QString *why)
{
    QStringList qtSays;
    g_qtSays = &qtSays;
    const QtMessageHandler previous = qInstallMessageHandler(noteQtMessage);
    const bool present = settings.contains(key);
    const QVariant value = settings.value(key);
    qInstallMessageHandler(previous);
    g_qtSays = nullptr;

    if (!present)
        return std::nullopt;
    if (value.metaType() == QMetaType::fromType<QString>()) {
        const QString text = value.toString();
        return text.isEmpty() ? std::nullopt : std::optional(text);
    }
    if (value.metaType() == QMetaType::fromType<QStringList>())
        *why = QStringLiteral("it is a list, not one port (a comma outside quotes?)");
    else if (value.isValid())
        *why = QStringLiteral("it is not text but a stored %1").arg(QLatin1String(value.typeName()));
    else
        *why = QStringLiteral("it is a stored value that cannot be decoded");
    return QString();
}
} // namespace

PortMappings applyPortMappings(const ProgramOptions &options, const QSettings *settings)
{
    PortMappings result;
    const std::optional<PortTarget> given[] = {options.com1, options.com2};
    for (int port = 1; port <= 2; ++port) {
        if (given[port - 1]) {
            result.map.set(port, *given[port - 1]);
            continue;
        }
        if (!settings)
            continue;
        const QString key = QStringLiteral("Ports/COM%1").arg(port);
        QString why;
        const std::optional<QString> text = textSetting(*settings, key, &why);
        if (!text)
            continue;
        std::optional<PortTarget> target;
        if (why.isEmpty())
            target = parsePortTarget(*text, &why);
        if (target) {
            result.map.set(port, *target);
            continue;
        }
        // Never the platform's device instead: another instrument may be there.
        result.map.setUnavailable(port);
        result.warnings << QStringLiteral("setting %1 in %2 cannot be read: %3; \"COM %4\" is not available")
                               .arg(key, settings->fileName(), why)
                               .arg(port);
    }
    return result;
}
