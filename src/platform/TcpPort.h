#pragma once

#include "platform/SerialPort.h"

#include <QObject>
#include <QTcpSocket>

// SerialPort on a TCP connection, for an instrument behind a serial server
// (a network-to-serial converter) or the virtual source. The port connects
// to the tcp:// mapping of its port number when opened, waiting at most
// ConnectTimeoutMs. The line settings are the serial server's business:
// they are kept, so the program shows the chosen rate, but not applied.
class TcpPort : public QObject, public SerialPort
{
    Q_OBJECT
public:
    static constexpr int ConnectTimeoutMs = 3000;

    explicit TcpPort(QObject *parent = nullptr);
    ~TcpPort() override;

    qint16 CommPort() const override { return m_commPort; }
    void setCommPort(qint16 port) override { m_commPort = port; }
    QString Settings() const override { return m_settings; }
    bool setSettings(const QString &settings) override;
    bool PortOpen() const override { return m_linked; }
    bool setPortOpen(bool open) override;
    bool setOutput(const QString &text) override;

    // What the socket has not passed to the network yet, at the chosen
    // rate: the serial server's own queue is out of sight.
    int OutputPendingMs() const override;
    // A socket cannot take back what it has been given short of dropping
    // the connection, so queued commands stay queued: returns false.
    bool discardOutput() override { return false; }

private:
    void closeAfterDrain();
    void dropLink();

    QTcpSocket m_socket;
    qint16 m_commPort = 1;
    QString m_settings = QStringLiteral("9600,n,8,1");
    bool m_linked = false; // connected by setPortOpen and not yet closed or lost
};
