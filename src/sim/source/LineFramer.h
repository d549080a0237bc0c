// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Cuts the received byte stream into lines. A line is what comes before a
// CR; an LF right after a CR belongs to that line end. A lone LF, or a line
// longer than MaxLine bytes, is a framing error: the instrument drops that
// line and says so. Memory stays bounded whatever arrives.
class LineFramer
{
public:
    static constexpr qsizetype MaxLine = 256;

    struct Frame
    {
        QByteArray text; // the line without its end; cut at MaxLine when overlong
        QString error;   // empty for a good line
    };

    // Takes one byte; returns the frame this byte ends, if any.
    std::optional<Frame> push(char byte);

    // Bytes of an unfinished line.
    qsizetype pending() const { return m_line.size(); }

private:
    QByteArray m_line;
    bool m_overlong = false;
    bool m_afterCr = false;
};
