// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/LineFramer.h"

std::optional<LineFramer::Frame> LineFramer::push(char byte)
{
    const bool afterCr = m_afterCr;
    m_afterCr = byte == '\r';

    if (byte == '\r' || byte == '\n') {
        if (byte == '\n' && afterCr)
            return std::nullopt;
        Frame frame{m_line, {}};
        if (byte == '\n')
            frame.error = QStringLiteral("line feed without carriage return");
        else if (m_overlong)
            frame.error = QStringLiteral("line longer than %1 bytes").arg(MaxLine);
        m_line.clear();
        m_overlong = false;
        return frame;
    }

    if (m_line.size() < MaxLine)
        m_line.append(byte);
    else
        m_overlong = true;
    return std::nullopt;
}
