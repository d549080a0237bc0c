// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/LineSettings.h"

#include <QString>
#include <limits>

// The settings as the main window's label writes them: "9600,8,N,1".
QString lineSettingsText(const LineSettings &line);

// When each byte has fully arrived at the instrument. A byte starts no
// earlier than it was written and no earlier than the end of the byte
// before it, so a burst of writes queues up and leaves at line speed.
class WireClock
{
public:
    // Returns the time the byte written at writtenMs has arrived.
    double pass(double writtenMs, double charMs);
    // When the last byte handed over has arrived.
    double freeAt() const { return m_freeAt; }

private:
    double m_freeAt = -std::numeric_limits<double>::infinity();
};
