// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/PortText.h"

#include <limits>

qint16 portNumberFromText(const QString &entry)
{
    bool ok = false;
    const int number = entry.mid(3).trimmed().toInt(&ok);
    if (!ok || number < std::numeric_limits<qint16>::min() || number > std::numeric_limits<qint16>::max())
        return 0;
    return static_cast<qint16>(number);
}
