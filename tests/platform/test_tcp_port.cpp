// The port on a TCP serial server, against a server on 127.0.0.1: what is
// written arrives as written, a refused connection is a port that does not
// open, and a server that goes away is a lost link.
#include "platform/PortNames.h"
#include "platform/RoutedPort.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {
PortTarget tcpTo(quint16 port)
{
    return *parsePortTarget(QStringLiteral("tcp://127.0.0.1:%1").arg(port));
}

// A port number nothing listens on.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}
} // namespace

class TcpPortTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { clearPortMappings(); }
    void opensWritesAndCloses();
    void refusedConnection_doesNotOpen();
    void serverGoesAway_linkLostOnceThenReopens();
};

void TcpPortTest::opensWritesAndCloses()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    setPortMapping(2, tcpTo(server.serverPort()));

    RoutedPort port;
    port.setCommPort(2);
    // The serial server owns the line: the settings are kept for the label, not applied.
    QVERIFY(port.setSettings(QStringLiteral("4800,n,8,1")));
    QVERIFY(!port.setSettings(QStringLiteral("fast,n,8,1")));
    QVERIFY(port.setPortOpen(true));
    QVERIFY(port.isTcp());
    QVERIFY(port.PortOpen());
    QCOMPARE(port.Settings(), QStringLiteral("4800,n,8,1"));

    QVERIFY(port.setOutput(QStringLiteral(":SYST:REM \r")));
    QVERIFY(port.setOutput(QStringLiteral(":SOUR:VOLT 110\xB0\r"))); // Latin-1, one byte a character
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *far = server.nextPendingConnection();
    QByteArray got;
    QTRY_VERIFY((got += far->readAll()).size() >= 26);
    QCOMPARE(got, QByteArray(":SYST:REM \r:SOUR:VOLT 110\xB0\r"));

    // Closing is ours, not a lost link; the bytes written last still arrive.
    bool lost = false;
    port.onLinkLost = [&] { lost = true; };
    QVERIFY(port.setOutput(QStringLiteral(":SYST:LOC \r")));
    QVERIFY(port.setPortOpen(false));
    QVERIFY(!port.PortOpen());
    QVERIFY(!port.setOutput(QStringLiteral("*RST\r")));
    QTRY_COMPARE(far->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(far->readAll(), QByteArray(":SYST:LOC \r"));
    QVERIFY(!lost);
}

void TcpPortTest::refusedConnection_doesNotOpen()
{
    setPortMapping(1, tcpTo(closedPort()));
    RoutedPort port;
    port.setCommPort(1);
    QVERIFY(!port.setPortOpen(true));
    QVERIFY(!port.PortOpen());
    QVERIFY(!port.setOutput(QStringLiteral("*RST\r")));
}

void TcpPortTest::serverGoesAway_linkLostOnceThenReopens()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    setPortMapping(1, tcpTo(server.serverPort()));
    RoutedPort port;
    int lost = 0;
    port.onLinkLost = [&] { ++lost; };
    QVERIFY(port.setPortOpen(true));
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *far = server.nextPendingConnection();
    far->close();

    QTRY_VERIFY(lost > 0);
    QTest::qWait(50);
    QCOMPARE(lost, 1);
    QVERIFY(!port.PortOpen());
    QVERIFY(!port.setOutput(QStringLiteral("*RST\r")));

    // Choosing the port again connects anew.
    QVERIFY(port.setPortOpen(true));
    QTRY_VERIFY(server.hasPendingConnections());
}

QTEST_GUILESS_MAIN(TcpPortTest)
#include "test_tcp_port.moc"
