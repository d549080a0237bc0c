// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/ports/TcpPort.h"

#include "domain/ports/LineSettings.h"
#include "domain/ports/Rfc2217Framing.h"
#include "domain/ports/SocketQueue.h"
#include "domain/system/CrashGuard.h"
#include "domain/system/TerminationSignals.h"

#include <QDeadlineTimer>
#include <QHostInfo>
#include <QThread>
#include <algorithm>
#include <cmath>

namespace {
// How often a connect looks up from its wait: a termination signal ends it
// at the next look.
constexpr int ConnectSliceMs = 20;
} // namespace

TcpPort::TcpPort(QObject *parent) : QObject(parent)
{
    // Write-only link: what a server sends back is read only for its
    // Telnet negotiation, and dropped, so it cannot pile up.
    connect(&m_socket, &QTcpSocket::readyRead, this, &TcpPort::readServer);
    connect(&m_socket, &QTcpSocket::disconnected, this, &TcpPort::dropLink);
    // Any error of a connected socket (the server closed or reset it, the
    // network went away) loses the link; a wait that timed out does not.
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::SocketTimeoutError)
            dropLink();
    });
}

TcpPort::~TcpPort()
{
    if (m_linked)
        closeAfterDrain();
}

bool TcpPort::setSettings(const QString &settings)
{
    const std::optional<LineSettings> line = parseLineSettings(settings);
    if (!line)
        return false;
    m_settings = settings;
    m_pace.setSettings(*line);
    // The server's line follows at once; its acknowledgement is not needed.
    if (m_linked && m_telnet)
        writeFramed(m_telnet->lineSettings(*line));
    if (m_linked)
        armCrashPath();
    return true;
}

bool TcpPort::setPortOpen(bool open)
{
    if (open == m_linked)
        return true;
    if (!open) {
        closeAfterDrain();
        return true;
    }
    const PortTarget target = m_portMap.target(m_commPort);
    if (!target.isNetwork() || !connectTo(target))
        return false;
    // Each command leaves when it is written, not when the next fills a segment.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_kind = target.kind;
    m_pace.restart();
    m_linked = true;
    m_telnet.reset();
    m_crashPrefix.clear();
    if (m_kind == PortTarget::Kind::Rfc2217) {
        m_telnet = std::make_unique<Rfc2217Framing>();
        m_crashPrefix = m_telnet->purgeTransmit();
        if (!writeFramed(m_telnet->opening(parseLineSettings(m_settings).value_or(LineSettings{})))) {
            m_openFailure = QStringLiteral("the server closed the connection at once");
            m_linked = false;
            m_socket.abort();
            return false;
        }
    }
    armCrashPath();
    return m_linked;
}

void TcpPort::armCrashPath()
{
    // After a crash the connection ends with the process: on a serial
    // server it is held open for as long as the crash bytes and one step
    // still on its way need on the line.
    constexpr int StepBytes = 128;
    const int holdMs = pacedByLine() ? static_cast<int>(
                           std::ceil(lineTimeMs(CrashGuard::MaxBytes + StepBytes, m_pace.characterMs())))
                                     : 0;
    if (m_crash)
        m_crash->setCrashSocket(m_socket.socketDescriptor(), m_crashPrefix, holdMs);
}

bool TcpPort::connectTo(const PortTarget &target)
{
    m_socket.abort();
    m_openFailure.clear();
    // Bounded: a refused connection returns at once, a host that does not
    // answer after the timeout, and a termination signal (nothing is under
    // remote control yet) or an operator who gave up at the next slice. A name is looked up first,
    // and that wait cannot be cut short. Qt's own wait cannot be sliced (it
    // gives a connect up for good when it times out), so the connect is
    // the platform layer's and the socket is handed to Qt once connected.
    QHostAddress address;
    if (!address.setAddress(target.host)) {
        const QHostInfo lookup = QHostInfo::fromName(target.host);
        const QList<QHostAddress> found = lookup.addresses();
        if (found.isEmpty()) {
            m_openFailure = lookup.error() == QHostInfo::HostNotFound
                                ? QStringLiteral("unknown host %1").arg(target.host)
                                : QStringLiteral("the host %1 could not be looked up: %2")
                                      .arg(target.host, lookup.errorString());
            return false;
        }
        address = found.first();
    }
    const qintptr connected = connectInSlices(
        address, target.tcpPort, ConnectTimeoutMs, ConnectSliceMs,
        [this] { return TerminationSignals::requestedSignal() != 0 || (m_openAbandoned && m_openAbandoned()); },
        &m_openFailure);
    if (connected == NoSlicedConnect) {
        m_socket.connectToHost(address, target.tcpPort);
        if (m_socket.waitForConnected(ConnectTimeoutMs))
            return true;
        m_openFailure = m_socket.error() == QAbstractSocket::ConnectionRefusedError
                            ? QStringLiteral("connection refused")
                        : m_socket.error() == QAbstractSocket::SocketTimeoutError
                            ? QStringLiteral("no answer within %1 s").arg(ConnectTimeoutMs / 1000.0)
                            : m_socket.errorString();
    } else if (connected >= 0) {
        if (m_socket.setSocketDescriptor(connected))
            return true;
        m_openFailure = m_socket.errorString();
        closeSocket(connected);
    }
    m_socket.abort();
    return false;
}

bool TcpPort::setOutput(const QString &text)
{
    if (!m_linked)
        return false;
    const QByteArray bytes = text.toLatin1();
    // The bytes cannot leave the server sooner than its line carries them.
    m_pace.wrote(bytes.size());
    return writeFramed(m_telnet ? m_telnet->data(bytes) : bytes);
}

bool TcpPort::writeFramed(const QByteArray &bytes)
{
    if (!m_linked)
        return false;
    if (m_socket.write(bytes) != bytes.size())
        return false;
    // Hand the bytes to the network now; what the kernel cannot take yet
    // waits in the socket's buffer and leaves from the event loop.
    m_socket.flush();
    return m_linked;
}

qint64 TcpPort::bytesQueued() const
{
    return m_socket.bytesToWrite() + std::max<qint64>(0, unacknowledgedBytes(m_socket.socketDescriptor()));
}

int TcpPort::OutputPendingMs() const
{
    return m_linked ? pendingMs() : 0;
}

int TcpPort::pendingMs() const
{
    const qint64 queued = bytesQueued();
    // An instrument's own stack has no rate to count with: while it has not
    // acknowledged everything, the step waits a millisecond more.
    if (!pacedByLine())
        return queued > 0 ? 1 : 0;
    return m_pace.pendingMs(queued);
}

bool TcpPort::discardOutput()
{
    if (!m_linked || !m_telnet)
        return false;
    const bool onTheWay = OutputPendingMs() > 0;
    writeFramed(m_telnet->purgeTransmit());
    m_pace.discarded(onTheWay);
    return onTheWay;
}

void TcpPort::readServer()
{
    const QByteArray bytes = m_socket.readAll();
    if (m_telnet && m_linked) {
        const QByteArray answer = m_telnet->received(bytes);
        if (!answer.isEmpty())
            writeFramed(answer);
    }
}

void TcpPort::closeAfterDrain()
{
    m_linked = false; // our own close is not a lost link
    if (m_crash)
        m_crash->setCrashSocket(-1, {}, 0);
    // Everything written goes to the kernel first, then the connection is
    // ended in order: the server reads the last commands, then the end. It
    // closes its side once it has taken them all; never wait more than two
    // seconds for a server that does not.
    const QDeadlineTimer deadline(MaxCloseWaitMs);
    while (m_socket.state() == QAbstractSocket::ConnectedState && m_socket.bytesToWrite() > 0
           && !deadline.hasExpired())
        m_socket.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    // Only the server's own close after ours says that it read the last
    // bytes: a server that never reads takes them into its buffer and
    // acknowledges them all the same.
    m_closeDelivered = false;
    const bool allWritten = m_socket.bytesToWrite() == 0;
    // A serial server may drop what its line has not sent yet once the
    // connection ends (ser2net empties its device's queue on close): the
    // connection stays until the bytes can have left the line, as a serial
    // port stays open for them.
    // The server itself takes a moment to pass each byte on.
    constexpr int ServerLatencyMs = 20;
    const bool onTheWay = pendingMs() > 0;
    for (int needMs = pendingMs();
         needMs > 0 && m_socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired();
         needMs = pendingMs())
        QThread::msleep(static_cast<unsigned long>(
            std::min<qint64>(needMs, std::max<qint64>(1, deadline.remainingTime()))));
    if (onTheWay && pacedByLine() && !deadline.hasExpired())
        QThread::msleep(ServerLatencyMs);
    if (m_socket.state() == QAbstractSocket::ConnectedState && shutdownSending(m_socket.socketDescriptor())) {
        while (m_socket.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired())
            m_socket.waitForDisconnected(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    } else if (m_socket.state() == QAbstractSocket::ConnectedState) {
        m_socket.disconnectFromHost();
        if (m_socket.state() != QAbstractSocket::UnconnectedState)
            m_socket.waitForDisconnected(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
    m_closeDelivered = allWritten && m_socket.state() == QAbstractSocket::UnconnectedState;
    // Unread bytes would turn the close into a reset.
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        m_socket.readAll();
        m_socket.abort();
    }
    m_telnet.reset();
}

void TcpPort::dropLink()
{
    if (!m_linked)
        return;
    m_linked = false;
    if (m_crash)
        m_crash->setCrashSocket(-1, {}, 0);
    m_socket.abort();
    m_telnet.reset();
    if (onLinkLost)
        onLinkLost();
}
