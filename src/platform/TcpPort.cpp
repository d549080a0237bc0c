#include "platform/TcpPort.h"

#include "platform/LineSettings.h"
#include "platform/PortNames.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <cmath>

TcpPort::TcpPort(QObject *parent) : QObject(parent)
{
    // Write-only link: whatever a server sends back is dropped, so it
    // cannot pile up.
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] { m_socket.readAll(); });
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
    if (!parseLineSettings(settings))
        return false;
    m_settings = settings;
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
    const PortTarget target = portMapping(m_commPort);
    if (target.kind != PortTarget::Kind::Tcp)
        return false;
    m_socket.abort();
    m_socket.connectToHost(target.host, target.tcpPort);
    // Blocking, but bounded: a refused connection returns at once, a host
    // that does not answer after the timeout.
    if (!m_socket.waitForConnected(ConnectTimeoutMs)) {
        m_socket.abort();
        return false;
    }
    // Each command leaves when it is written, not when the next fills a segment.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_linked = true;
    return true;
}

bool TcpPort::setOutput(const QString &text)
{
    if (!m_linked)
        return false;
    const QByteArray bytes = text.toLatin1();
    if (m_socket.write(bytes) != bytes.size())
        return false;
    // Hand the bytes to the network now; what the kernel cannot take yet
    // waits in the socket's buffer and leaves from the event loop.
    m_socket.flush();
    return m_linked;
}

int TcpPort::OutputPendingMs() const
{
    if (!m_linked)
        return 0;
    const double ms = static_cast<double>(m_socket.bytesToWrite()) * characterMs(m_settings);
    return static_cast<int>(std::ceil(ms));
}

void TcpPort::closeAfterDrain()
{
    m_linked = false; // our own close is not a lost link
    // Let the last commands leave first, but never wait more than two
    // seconds for a server that does not take them.
    const QDeadlineTimer deadline(2000);
    while (m_socket.state() == QAbstractSocket::ConnectedState && m_socket.bytesToWrite() > 0
           && !deadline.hasExpired())
        m_socket.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    m_socket.disconnectFromHost();
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        m_socket.abort();
}

void TcpPort::dropLink()
{
    if (!m_linked)
        return;
    m_linked = false;
    m_socket.abort();
    if (onLinkLost)
        onLinkLost();
}
