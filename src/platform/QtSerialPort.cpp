#include "platform/QtSerialPort.h"

#include "platform/CrashSignals.h"
#include "platform/LineSettings.h"
#include "platform/PortNames.h"

#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/ioctl.h>
#endif

QtSerialPort::QtSerialPort(QObject *parent) : QObject(parent)
{
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onErrorOccurred);
    connect(&m_port, &QIODevice::aboutToClose, this, [] { CrashSignals::setPortHandle(-1); });
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
    // commands leave first, at the rate they were sent at, waiting no longer
    // than the queued bytes need on the line (and never more than two
    // seconds, in case nothing is reading them).
    qint64 queued = m_port.bytesToWrite();
#ifdef Q_OS_UNIX
    const int fd = static_cast<int>(m_port.handle());
    int inDriver = 0;
    if (fd >= 0 && ::ioctl(fd, TIOCOUTQ, &inDriver) == 0)
        queued += inDriver;
#endif
    if (queued > 0) {
        const auto s = parseLineSettings(m_settings).value_or(LineSettings{});
        const qint64 needMs = queued * 10 * 1000 / std::max(1, s.baud) + 50;
        const QDeadlineTimer deadline(std::min<qint64>(needMs, 2000));
        while (m_port.isOpen() && m_port.bytesToWrite() > 0 && !deadline.hasExpired())
            m_port.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
#ifdef Q_OS_UNIX
        while (m_port.isOpen() && !deadline.hasExpired() && ::ioctl(fd, TIOCOUTQ, &inDriver) == 0
               && inDriver > 0)
            QThread::msleep(2);
#endif
    }
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialPort::setSettings(const QString &settings)
{
    if (!parseLineSettings(settings))
        return false;
    m_settings = settings;
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
    m_port.setPortName(serialDeviceForPort(m_commPort));
    // Write-only: a port that also reads floods errorOccurred once its far
    // end has gone.
    if (!m_port.open(QIODevice::WriteOnly))
        return false;
    m_knownRoom = 0;
    if (!applySettings()) {
        m_port.close();
        return false;
    }
    CrashSignals::setPortHandle(static_cast<int>(m_port.handle()));
    return true;
}

bool QtSerialPort::setOutput(const QString &text)
{
    if (!m_port.isOpen())
        return false;
    const QByteArray bytes = text.toLatin1();
    if (m_port.write(bytes) != bytes.size())
        return false;
    // Hand the bytes to the driver now rather than on the next event loop
    // pass, so they are on their way when the handler returns. While the
    // driver's queue is full they wait in the port's own buffer instead: a
    // write forced then fails with "would block", which the port reports as
    // a write error, and a slow line is not a pulled cable.
    if (driverHasRoom(bytes.size()))
        m_port.flush();
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
    Q_UNUSED(bytes);
    return true;
#endif
}

void QtSerialPort::onErrorOccurred(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        if (m_port.isOpen()) {
            m_port.close();
            if (onLinkLost)
                onLinkLost();
        }
        break;
    default:
        break;
    }
}
