// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>

// The port number of a port-list entry: its text from the fourth character
// on, as a whole number ("COM 1" -> 1). Anything unreadable gives 0.
qint16 portNumberFromText(const QString &entry);

// The line settings for a baud text, and the label that shows them.
inline QString settingsForBaud(const QString &baud)
{
    return baud + QStringLiteral(",n,8,1");
}
inline QString labelForBaud(const QString &baud)
{
    return baud + QStringLiteral(",8,N,1");
}

// The message for off commands that did not leave the port on release.
inline QString offUndeliveredMessage(const QString &entry)
{
    return QStringLiteral("The off commands could not be delivered to %1: the output may still be on")
        .arg(entry);
}

// The message for a port that cannot be opened, naming its list entry.
inline QString portNotAvailableMessage(const QString &entry)
{
    return entry + QStringLiteral(" : not available. Change the CommPort property to another port.");
}
