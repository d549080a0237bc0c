// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/PtyBridge.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX // pseudo-terminals: POSIX only; main.cpp refuses the pty cable elsewhere
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#ifdef Q_OS_MACOS
#include <util.h>
#else
#include <pty.h>
#endif
#include <termios.h>
#include <unistd.h>

namespace {
int baudOf(speed_t speed)
{
    static const struct
    {
        speed_t speed;
        int baud;
    } table[] = {{B50, 50},       {B75, 75},         {B110, 110},      {B134, 134},     {B150, 150},
                 {B200, 200},     {B300, 300},       {B600, 600},      {B1200, 1200},   {B1800, 1800},
                 {B2400, 2400},   {B4800, 4800},     {B9600, 9600},    {B19200, 19200}, {B38400, 38400},
                 {B57600, 57600}, {B115200, 115200}, {B230400, 230400}};
    for (const auto &entry : table)
        if (entry.speed == speed)
            return entry.baud;
    return 0;
}
} // namespace

PtyBridge::PtyBridge(QObject *parent) : SourceCable(parent)
{
    char name[256] = {};
    if (::openpty(&m_near, &m_far, name, nullptr, nullptr) != 0) {
        m_error = QStringLiteral("cannot create a pseudo-terminal: %1")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
        m_near = m_far = -1;
        return;
    }
    // Until the program applies its own settings the device is what a
    // serial port is when it appears: raw, 9600 baud, 8N1. The program's
    // port puts these back when it closes, so they also time the bytes
    // still on their way at that moment, as on a real port.
    termios t{};
    ::tcgetattr(m_far, &t);
    ::cfmakeraw(&t);
    ::cfsetospeed(&t, B9600);
    ::cfsetispeed(&t, B9600);
    t.c_cflag = (t.c_cflag & ~(CSIZE | PARENB | CSTOPB)) | CS8 | CREAD | CLOCAL;
    ::tcsetattr(m_far, TCSANOW, &t);
    ::fcntl(m_near, F_SETFL, ::fcntl(m_near, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_near, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_far, F_SETFD, FD_CLOEXEC);
    m_farPath = QString::fromLocal8Bit(name);
}

PtyBridge::~PtyBridge()
{
    delete m_notifier;
    if (m_near >= 0)
        ::close(m_near);
    if (m_far >= 0)
        ::close(m_far);
}

LineSettings PtyBridge::lineSettings() const
{
    LineSettings line;
    termios t{};
    if (m_far < 0 || ::tcgetattr(m_far, &t) != 0)
        return line;
    line.baud = baudOf(::cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
    case CS5: line.dataBits = 5; break;
    case CS6: line.dataBits = 6; break;
    case CS7: line.dataBits = 7; break;
    default: line.dataBits = 8; break;
    }
    line.parity = !(t.c_cflag & PARENB) ? 'n' : (t.c_cflag & PARODD) ? 'o' : 'e';
    line.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    return line;
}

QByteArray PtyBridge::readAvailable()
{
    QByteArray data;
    if (m_near < 0)
        return data;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_near, buffer, sizeof buffer);
        if (n > 0) {
            data.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: nothing more for now
    }
    return data;
}

void PtyBridge::setWatching(bool watching)
{
    if (m_near < 0)
        return;
    if (!m_notifier) {
        m_notifier = new QSocketNotifier(m_near, QSocketNotifier::Read);
        connect(m_notifier, &QSocketNotifier::activated, this, &PtyBridge::readyRead);
    }
    m_notifier->setEnabled(watching);
}

#else // no pseudo-terminals

PtyBridge::PtyBridge(QObject *parent) : SourceCable(parent)
{
    m_error = QStringLiteral("the virtual instrument needs POSIX pseudo-terminals, "
                             "which this system does not have");
}

PtyBridge::~PtyBridge() = default;

LineSettings PtyBridge::lineSettings() const
{
    return {};
}

QByteArray PtyBridge::readAvailable()
{
    return {};
}

void PtyBridge::setWatching(bool) {}

#endif
