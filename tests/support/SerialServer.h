// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Debian's ser2net in front of a device (a pseudo-terminal in the tests),
// on a free loopback port, as a lab's serial server: raw TCP, or Telnet
// with the Com Port Control option (RFC 2217). The configuration is
// generated; the server runs in the foreground and is stopped with the
// object. start() fails, naming the package, when ser2net is missing.
class SerialServer
{
public:
    enum class Mode { Raw, Rfc2217 };

    SerialServer() = default;
    ~SerialServer() { stop(); }
    SerialServer(const SerialServer &) = delete;
    SerialServer &operator=(const SerialServer &) = delete;

    // Serves device at rate baud. On failure says why in *error.
    bool start(Mode mode, const QString &device, int baud, QString *error);
    void stop();

    quint16 port() const { return m_port; }
    // The port target that reaches it: tcp://127.0.0.1:P or rfc2217://127.0.0.1:P.
    QString target() const;

    static QString executable();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    Mode m_mode = Mode::Raw;
    quint16 m_port = 0;
};
