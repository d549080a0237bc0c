// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/VirtualTimer.h"

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

std::optional<double> VirtualTimer::nextTick() const
{
    if (!m_enabled || m_interval == 0)
        return std::nullopt;
    return m_due;
}

void VirtualTimer::fire()
{
    if (!nextTick())
        return;
    restart();
    if (onTick)
        onTick();
}
