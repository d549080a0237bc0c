// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/ports/QtSerialPort.h"

#include "domain/ports/LineSettings.h"
#include "domain/system/CrashGuard.h"

#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <type_traits>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/ioctl.h>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace {
constexpr int MaxCloseWaitMs = 2000;

// The port's handle as the crash path keeps it: a file descriptor, or on
// Windows a HANDLE.
template <typename Handle>
qintptr nativeHandle(Handle handle)
{
    if constexpr (std::is_pointer_v<Handle>)
        return reinterpret_cast<qintptr>(handle);
    else
        return static_cast<qintptr>(handle);
}

// What the operator can do something about, in the port list's words.
QString openFailureText(QSerialPort::SerialPortError error, const QString &systemText)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError: return QStringLiteral("no such device");
    // Qt reports a device another program holds (its lock file, an
    // exclusive open) as a permission error.
    case QSerialPort::PermissionError: return QStringLiteral("busy (held by another program) or no permission");
    case QSerialPort::OpenError: return QStringLiteral("busy: already open");
    default: return systemText;
    }
}
} // namespace

QtSerialPort::QtSerialPort(QObject *parent) : QObject(parent)
{
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onErrorOccurred);
    connect(&m_port, &QIODevice::aboutToClose, this, [this] {
        m_hangupCheck.stop();
        if (m_crash)
            m_crash->setCrashPort(-1, 0);
    });
    m_hangupCheck.setInterval(HangupCheckMs);
    connect(&m_hangupCheck, &QTimer::timeout, this, &QtSerialPort::checkHangup);
}

QtSerialPort::~QtSerialPort()
{
    if (m_port.isOpen())
        closeAfterDrain();
}

void QtSerialPort::closeAfterDrain()
{
    // Closing drops what the port still buffers, and puts back the line
    // settings the device had when it was opened, at once. Let the last
    // commands leave first, for as long as they need at the line's rate, and
    // never more than two seconds, in case nothing is reading them.
    const int needMs = OutputPendingMs();
    m_closeDelivered = true;
    if (needMs > 0) {
        const QDeadlineTimer lineDone(std::min(needMs, MaxCloseWaitMs));
        const QDeadlineTimer deadline(std::min(needMs + 50, MaxCloseWaitMs));
        while (m_port.isOpen() && m_port.bytesToWrite() > 0 && !deadline.hasExpired())
            m_port.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
        while (m_port.isOpen() && !deadline.hasExpired() && bytesQueued() > 0)
            QThread::msleep(2);
        // What the driver no longer counts may still be in the adapter.
        if (m_port.isOpen() && !lineDone.hasExpired())
            QThread::msleep(static_cast<unsigned long>(lineDone.remainingTime()));
        // Bytes still queued when the line should have carried them: a far
        // end that does not read, or flow control that holds the line. They
        // get the rest of the two seconds; what is left then never left.
        const QDeadlineTimer giveUp(MaxCloseWaitMs - std::min(needMs + 50, MaxCloseWaitMs));
        while (m_port.isOpen() && !giveUp.hasExpired() && (m_port.bytesToWrite() > 0 || bytesQueued() > 0)) {
            if (m_port.bytesToWrite() > 0)
                m_port.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, giveUp.remainingTime())));
            else
                QThread::msleep(2);
        }
        m_closeDelivered = !m_port.isOpen() || (m_port.bytesToWrite() == 0 && bytesQueued() == 0);
    }
    if (m_port.isOpen())
        m_port.close();
}

qint64 QtSerialPort::bytesQueued() const
{
    if (!m_port.isOpen())
        return 0;
    qint64 queued = m_port.bytesToWrite();
#ifdef Q_OS_UNIX
    int inDriver = 0;
    if (::ioctl(static_cast<int>(m_port.handle()), TIOCOUTQ, &inDriver) == 0 && inDriver > 0)
        queued += inDriver;
#elif defined(Q_OS_WIN)
    DWORD errors = 0;
    COMSTAT status{};
    if (::ClearCommError(m_port.handle(), &errors, &status))
        queued += status.cbOutQue;
#endif
    return queued;
}

int QtSerialPort::OutputPendingMs() const
{
    if (!m_port.isOpen())
        return 0;
    return m_pace.pendingMs(bytesQueued());
}

bool QtSerialPort::discardOutput()
{
    if (!m_port.isOpen())
        return false;
    const bool onTheWay = OutputPendingMs() > 0;
    // A pseudo-terminal counts no queue of its own: what its far end has
    // not read yet is not among these.
    m_discardedBytes = bytesQueued();
    // Also flushes the driver's queue (tcflush on POSIX, PurgeComm on Windows).
    m_port.clear(QSerialPort::Output);
    m_knownRoom = 0;
    m_pace.discarded(onTheWay);
    return onTheWay;
}

bool QtSerialPort::setSettings(const QString &settings)
{
    const std::optional<LineSettings> line = parseLineSettings(settings);
    if (!line)
        return false;
    m_settings = settings;
    m_pace.setSettings(*line);
    return !m_port.isOpen() || applySettings();
}

bool QtSerialPort::applySettings()
{
    const auto s = parseLineSettings(m_settings).value_or(LineSettings{});
    QSerialPort::Parity parity = QSerialPort::NoParity;
    switch (s.parity) {
    case 'e': parity = QSerialPort::EvenParity; break;
    case 'o': parity = QSerialPort::OddParity; break;
    case 'm': parity = QSerialPort::MarkParity; break;
    case 's': parity = QSerialPort::SpaceParity; break;
    default: break;
    }
    bool ok = m_port.setBaudRate(s.baud);
    ok = m_port.setParity(parity) && ok;
    ok = m_port.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) && ok;
    ok = m_port.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) && ok;
    ok = m_port.setFlowControl(QSerialPort::NoFlowControl) && ok;
    return ok;
}

bool QtSerialPort::setPortOpen(bool open)
{
    if (open == m_port.isOpen())
        return true;
    if (!open) {
        closeAfterDrain();
        return true;
    }
    m_openFailure.clear();
    const QString device = m_portMap.serialDevice(m_commPort);
    if (device.isEmpty()) {
        m_openFailure = QStringLiteral("no such device");
        return false; // connected to nothing
    }
    m_port.setPortName(device);
    // Write-only: a port that also reads floods errorOccurred once its far
    // end has gone.
    if (!m_port.open(QIODevice::WriteOnly)) {
        m_openFailure = openFailureText(m_port.error(), m_port.errorString());
        return false;
    }
    m_knownRoom = 0;
    m_pace.restart();
    if (!applySettings()) {
        m_port.close();
        m_openFailure = QStringLiteral("%1 does not take the line settings %2").arg(device, m_settings);
        return false;
    }
    if (m_crash)
        m_crash->setCrashPort(nativeHandle(m_port.handle()),
                              static_cast<int>(std::lround(m_pace.characterMs() * 1000)));
#ifdef Q_OS_UNIX
    m_hangupCheck.start();
#endif
    return true;
}

bool QtSerialPort::setOutput(const QString &text)
{
    if (!m_port.isOpen())
        return false;
    const QByteArray bytes = text.toLatin1();
    if (m_port.write(bytes) != bytes.size())
        return false;
    // The bytes cannot leave sooner than the line carries them.
    m_pace.wrote(bytes.size());
    // Hand the bytes to the driver now rather than on the next event loop
    // pass, so they are on their way when the handler returns. While the
    // driver's queue is full they wait in the port's own buffer instead: a
    // write forced then fails with "would block", which the port reports as
    // a write error, and a slow line is not a pulled cable.
    if (driverHasRoom(bytes.size())) {
        m_flushing = true;
        m_port.flush();
        m_flushing = false;
    }
    return m_port.isOpen();
}

bool QtSerialPort::driverHasRoom(qint64 bytes)
{
#ifdef Q_OS_UNIX
    // Asking the driver costs a wait on its work queue, so ask once and then
    // spend what its answer guarantees: a terminal reports room when under
    // 256 bytes are queued, and holds at least 4 KiB.
    if (bytes + m_port.bytesToWrite() <= m_knownRoom) {
        m_knownRoom -= bytes;
        return true;
    }
    pollfd p{static_cast<int>(m_port.handle()), POLLOUT, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & POLLOUT)) {
        m_knownRoom = GuaranteedRoom - bytes - m_port.bytesToWrite();
        return true;
    }
    m_knownRoom = 0;
    return false;
#else
    // Windows: Qt's overlapped writes wait in Qt's own buffer, and the
    // pace of the line alone decides when the next command goes.
    Q_UNUSED(bytes);
    return true;
#endif
}

void QtSerialPort::checkHangup()
{
#ifdef Q_OS_UNIX
    pollfd p{static_cast<int>(m_port.handle()), POLLOUT, 0};
    if (m_port.isOpen() && ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
        loseLink();
#endif
}

void QtSerialPort::loseLink()
{
    if (!m_port.isOpen())
        return;
    m_port.close();
    if (onLinkLost)
        onLinkLost();
}

void QtSerialPort::onErrorOccurred(QSerialPort::SerialPortError error)
{
    // The driver's room is only estimated (a pseudo-terminal may have less
    // than a UART guarantees): a forced write that finds the queue full
    // "would block", and its bytes stay in the port's buffer to follow.
    // A slow line is not a lost link.
    const int systemError = errno;
    if (m_flushing && error != QSerialPort::NoError && (systemError == EAGAIN || systemError == EWOULDBLOCK)) {
        m_port.clearError();
        return;
    }
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError: loseLink(); break;
    default: break;
    }
}
