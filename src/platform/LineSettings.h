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
