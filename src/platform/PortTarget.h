#pragma once

#include <QString>
#include <optional>

// What a port of the program ("COM 1", "COM 2") is connected to, as the
// operator writes it:
//   a port number     "COM3", "COM 3", "3"     the platform's device for it
//   a device path     "/dev/ttyUSB3", "/dev/serial/by-id/...", "\\.\COM12"
//   a network socket  "tcp://HOST:PORT", "tcp://[::1]:PORT" (a serial server)
struct PortTarget
{
    enum class Kind { Number, Device, Tcp };
    Kind kind = Kind::Number;
    int number = 0;  // Number
    QString device;  // Device
    QString host;    // Tcp
    quint16 tcpPort = 0;

    // The target written back in its canonical form: "COM3", the path, "tcp://host:port".
    QString text() const;
    bool operator==(const PortTarget &) const = default;
};

// Reads a port target as the operator writes it. On failure returns nothing and, when asked,
// says what is wrong in *error.
std::optional<PortTarget> parsePortTarget(const QString &text, QString *error = nullptr);
