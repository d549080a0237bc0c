// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/VirtualTimer.h"

#include "domain/system/ThreadCall.h"

#include <algorithm>

void VirtualTimer::setInterval(int milliseconds)
{
    m_interval = std::clamp(milliseconds, 0, MaxInterval);
    restart();
}

void VirtualTimer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    restart();
}

void VirtualTimer::restart()
{
    m_due = m_clock + m_interval;
}

std::optional<double> VirtualTimer::due() const
{
    if (!m_enabled || m_interval == 0)
        return std::nullopt;
    return m_due;
}

std::optional<double> VirtualTimer::nextTick() const
{
    return callOnThreadOf(*this, [this] { return due(); });
}

void VirtualTimer::fire()
{
    callOnThreadOf(*this, [this] {
        if (!due())
            return;
        restart();
        if (onTick)
            onTick();
    });
}
