// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>
#include <optional>

// The settings text of the serial port: "<baud>,<parity>,<data bits>,<stop bits>",
// for example "9600,n,8,1".
struct LineSettings
{
    int baud = 9600;
    char parity = 'n';
    int dataBits = 8;
    int stopBits = 1;
};

std::optional<LineSettings> parseLineSettings(const QString &text);

// How long one character takes on the line: a start bit, the data bits, the
// parity bit if any and the stop bits, at the baud rate. 8N1 is ten bits.
double characterMs(const LineSettings &line);
// The same for a settings text; text that does not parse counts as 9600,n,8,1.
double characterMs(const QString &settings);
// How long that many characters take on the line, one after another: the
// rule by which a run is paced, and by which a program is checked before it.
double lineTimeMs(qint64 characters, double characterMs);
