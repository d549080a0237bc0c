// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The port on a TCP serial server, against a server on 127.0.0.1: what is
// written arrives as written, a refused connection is a port that does not
// open, and a server that goes away or resets is a lost link. The line's
// rate sets the pace on a serial server; an RFC 2217 server gets the line's
// settings and the purge in its own framing; the close waits for the
// server's end of the connection.
#include "domain/ports/PortMap.h"
#include "domain/ports/RoutedPort.h"
#include "support/PtyPair.h"
#include "support/SerialServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <thread>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {
PortTarget tcpTo(quint16 port)
{
    return *parsePortTarget(QStringLiteral("tcp://127.0.0.1:%1").arg(port));
}

PortTarget target(const QString &form, quint16 port)
{
    return *parsePortTarget(form.arg(port));
}

// Port n connected to the target, every other port to its own device.
PortMap mapped(int port, const PortTarget &target)
{
    PortMap map;
    map.set(port, target);
    return map;
}

// Telnet and Com Port Control bytes as RFC 2217 writes them.
QByteArray comPort(std::initializer_list<int> body)
{
    QByteArray b("\xFF\xFA\x2C");
    for (int v : body)
        b += char(v);
    return b + "\xFF\xF0";
}

const QByteArray Opening = QByteArray("\xFF\xFB\x00\xFF\xFD\x00\xFF\xFB\x2C",
                                      9)                    // WILL/DO BINARY, WILL COM-PORT
                           + comPort({1, 0, 0, 0x25, 0x80}) // 9600 baud
                           + comPort({2, 8}) + comPort({3, 1}) + comPort({4, 1}) // 8, none, 1
                           + comPort({5, 1});                                    // no flow control

// The far end of one connection: takes it, reads everything at once.
struct Far
{
    QTcpServer server;
    QTcpSocket *socket = nullptr;
    QByteArray got;
    bool listen() { return server.listen(QHostAddress::LocalHost); }
    bool accept()
    {
        if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 3000))
            return false;
        socket = server.nextPendingConnection();
        return true;
    }
    bool readUntil(qsizetype size)
    {
        return QTest::qWaitFor([&] { return (got += socket->readAll()).size() >= size; }, 3000);
    }
};

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
    void opensWritesAndCloses();
    void refusedConnection_doesNotOpen();
    void openFailure_saysWhy_data();
    void openFailure_saysWhy();
    void serverGoesAway_linkLostOnceThenReopens_data();
    void serverGoesAway_linkLostOnceThenReopens();
    void rfc2217_bytesAsTheServerSeesThem_data();
    void rfc2217_bytesAsTheServerSeesThem();
    void pace_data();
    void pace();
    void close_waitsForTheServer();
    void rfc2217_serverLineFollowsTheBaudList();
    void eachPortOpensByItsOwnMap();
};

void TcpPortTest::opensWritesAndCloses()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const PortMap ports = mapped(2, tcpTo(server.serverPort()));

    RoutedPort port;
    port.setPortMap(ports);
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
    const PortMap ports = mapped(1, tcpTo(closedPort()));
    RoutedPort port;
    port.setPortMap(ports);
    port.setCommPort(1);
    QVERIFY(!port.setPortOpen(true));
    QVERIFY(!port.PortOpen());
    QVERIFY(!port.setOutput(QStringLiteral("*RST\r")));
}

void TcpPortTest::openFailure_saysWhy_data()
{
    QTest::addColumn<QString>("port");    // what port 1 connects to; %1 a listener's port
    QTest::addColumn<bool>("busy");       // another port holds the device first
    QTest::addColumn<QString>("failure"); // what the port says; empty: it opens
    QTest::newRow("refused") << "tcp://127.0.0.1:closed" << false << "connection refused";
    QTest::newRow("no such device") << "/nonexistent/quorra-test/COM1" << false << "no such device";
    QTest::newRow("listening server opens") << "tcp://127.0.0.1:%1" << false << "";
#ifdef Q_OS_UNIX
    QTest::newRow("pty opens") << "pty" << false << "";
    QTest::newRow("pty held by another port") << "pty" << true << "busy";
#endif
}

void TcpPortTest::openFailure_saysWhy()
{
    QFETCH(QString, port);
    QFETCH(bool, busy);
    QFETCH(QString, failure);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    PtyPair pty;
    PortMap map;
    if (port == QLatin1String("pty")) {
        QVERIFY(pty.open());
        map.setDevice(1, pty.deviceName());
    } else if (port.startsWith(QLatin1Char('/'))) {
        map.setDevice(1, port);
    } else {
        const quint16 number = port.endsWith(QLatin1String("closed")) ? closedPort() : server.serverPort();
        map.set(1, tcpTo(number));
    }
    RoutedPort holder, routed;
    holder.setPortMap(map);
    routed.setPortMap(map);
    if (busy)
        QVERIFY(holder.setPortOpen(true));
    QCOMPARE(routed.setPortOpen(true), failure.isEmpty());
    if (failure.isEmpty())
        QVERIFY(routed.openFailure().isEmpty());
    else
        QVERIFY2(routed.openFailure().startsWith(failure), qPrintable(routed.openFailure()));
}

void TcpPortTest::serverGoesAway_linkLostOnceThenReopens_data()
{
    QTest::addColumn<bool>("reset");
    QTest::newRow("closes") << false;
    QTest::newRow("resets") << true;
}

void TcpPortTest::serverGoesAway_linkLostOnceThenReopens()
{
    QFETCH(bool, reset);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const PortMap ports = mapped(1, tcpTo(server.serverPort()));
    RoutedPort port;
    port.setPortMap(ports);
    int lost = 0;
    port.onLinkLost = [&] { ++lost; };
    QVERIFY(port.setPortOpen(true));
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *far = server.nextPendingConnection();
#ifdef Q_OS_UNIX
    if (reset) {
        const linger now{1, 0}; // close with a reset
        ::setsockopt(static_cast<int>(far->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
    }
#endif
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

void TcpPortTest::rfc2217_bytesAsTheServerSeesThem_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("after"); // what follows the opening
    QTest::newRow("opening alone") << "" << QByteArray();
    QTest::newRow("rate picked") << "4800"
                                 << comPort({1, 0, 0, 0x12, 0xC0}) + comPort({2, 8}) + comPort({3, 1})
                                        + comPort({4, 1}) + comPort({5, 1});
    QTest::newRow("255 doubled") << "data" << QByteArray("A\xFF\xFF\r");
    QTest::newRow("purge") << "purge" << comPort({12, 2});
}

void TcpPortTest::rfc2217_bytesAsTheServerSeesThem()
{
    QFETCH(QString, action);
    QFETCH(QByteArray, after);
    RoutedPort port; // outlives the far end, whose close ends its own
    Far far;
    QVERIFY(far.listen());
    port.setPortMap(mapped(1, target(QStringLiteral("rfc2217://127.0.0.1:%1"), far.server.serverPort())));
    QVERIFY(port.setPortOpen(true));
    QVERIFY(far.accept());
    // Nothing waits for the server's answers: they come, or not, later.
    if (action == QLatin1String("4800"))
        QVERIFY(port.setSettings(QStringLiteral("4800,n,8,1")));
    else if (action == QLatin1String("data"))
        QVERIFY(port.setOutput(QStringLiteral("A\xFF\r")));
    else if (action == QLatin1String("purge"))
        port.discardOutput();
    QVERIFY(far.readUntil(Opening.size() + after.size()));
    QCOMPARE(far.got.toHex(' '), (Opening + after).toHex(' '));

    // The server's own offers are answered (refused: this end wants none);
    // its data is dropped.
    far.got.clear();
    far.socket->write("\xFF\xFB\x01hello"); // WILL ECHO
    QVERIFY(far.readUntil(3));
    QCOMPARE(far.got, QByteArray("\xFF\xFE\x01")); // DONT ECHO
}

void TcpPortTest::pace_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("expectedMs"); // for 96 bytes, on a far end that takes them at once
    QTest::newRow("tcp, 9600") << "tcp://127.0.0.1:%1"
                               << "9600,n,8,1" << 100;
    QTest::newRow("tcp, 1200") << "tcp://127.0.0.1:%1"
                               << "1200,n,8,1" << 800;
    QTest::newRow("tcp, 9600 8E2") << "tcp://127.0.0.1:%1"
                                   << "9600,e,8,2" << 120;
    QTest::newRow("rfc2217, 2400") << "rfc2217://127.0.0.1:%1"
                                   << "2400,n,8,1" << 400;
    QTest::newRow("instrument socket") << "TCPIP::127.0.0.1::%1::SOCKET"
                                       << "1200,n,8,1" << 0;
}

void TcpPortTest::pace()
{
    QFETCH(QString, form);
    QFETCH(QString, settings);
    QFETCH(int, expectedMs);
    TcpPort port;
    Far far;
    QVERIFY(far.listen());
    port.setPortMap(mapped(1, target(form, far.server.serverPort())));
    double now = 1000.0;
    port.setClock([&] { return now; });
    QVERIFY(port.setSettings(settings));
    QVERIFY(port.setPortOpen(true));
    QVERIFY(far.accept());
    QCOMPARE(port.OutputPendingMs(), 0);
    QVERIFY(port.setOutput(QString::fromLatin1(QByteArray(95, 'V') + '\r')));
    // The far end takes the bytes at once: the line, not the socket, is
    // what still has to carry them.
    QVERIFY(QTest::qWaitFor([&] { return (far.got += far.socket->readAll()).endsWith("V\r"); }, 3000));
    QTRY_VERIFY(port.OutputPendingMs() <= expectedMs);
    QCOMPARE(port.OutputPendingMs(), expectedMs);
    now += expectedMs / 2.0;
    QCOMPARE(port.OutputPendingMs(), (expectedMs + 1) / 2);
    now += expectedMs;
    QCOMPARE(port.OutputPendingMs(), 0);
}

void TcpPortTest::close_waitsForTheServer()
{
#ifndef Q_OS_UNIX
    QSKIP("the far end is a POSIX thread");
#else
    // A server that reads the last commands only after a while, then closes
    // its side as a serial server does: the close waits for it, everything
    // arrives, and the connection ends in order (no reset).
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&address), size) == 0);
    QVERIFY(::listen(listener, 1) == 0);
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &size);
    const PortMap ports = mapped(1, tcpTo(ntohs(address.sin_port)));
    QByteArray got;
    bool orderly = false;
    std::thread server([&] {
        const int fd = ::accept(listener, nullptr, nullptr);
        ::usleep(300 * 1000);
        char buffer[256];
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            got.append(buffer, n);
        orderly = n == 0; // the end, not ECONNRESET
        ::close(fd);
    });
    RoutedPort port;
    port.setPortMap(ports);
    QVERIFY(port.setPortOpen(true));
    const QByteArray last = ":SOUR:TURN OFF\r:OUTP OFF\r:SYST:LOC \r";
    QVERIFY(port.setOutput(QString::fromLatin1(last)));
    QElapsedTimer waited;
    waited.start();
    QVERIFY(port.setPortOpen(false));
    const qint64 closeMs = waited.elapsed();
    server.join();
    ::close(listener);
    QCOMPARE(got, last);
    QVERIFY(orderly);
    // It ended on the server's close, not on its own bound.
    QVERIFY2(closeMs < TcpPort::MaxCloseWaitMs, QByteArray::number(closeMs).constData());
#endif
}

void TcpPortTest::rfc2217_serverLineFollowsTheBaudList()
{
#ifndef Q_OS_UNIX
    QSKIP("pseudo-terminals are POSIX only");
#else
    // Through ser2net in front of a pseudo-terminal: the device's speed is
    // what the program sets, at open and when another rate is picked.
    PtyPair pty;
    QVERIFY(pty.open());
    SerialServer server;
    QString error;
    QVERIFY2(server.start(SerialServer::Mode::Rfc2217, pty.deviceName(), 1200, &error), qPrintable(error));
    const PortMap ports = mapped(1, *parsePortTarget(server.target()));
    const auto speed = [&] {
        termios t{};
        ::tcgetattr(pty.nearEnd(), &t);
        return cfgetospeed(&t);
    };
    RoutedPort port;
    port.setPortMap(ports);
    QVERIFY(port.setSettings(QStringLiteral("9600,n,8,1")));
    QVERIFY(port.setPortOpen(true));
    QTRY_COMPARE(speed(), speed_t(B9600));
    for (const auto &[baud, code] :
         {std::pair{"4800", B4800}, std::pair{"2400", B2400}, std::pair{"9600", B9600}}) {
        QVERIFY(port.setSettings(QStringLiteral("%1,n,8,1").arg(QLatin1String(baud))));
        QTRY_COMPARE(speed(), speed_t(code));
    }
    QVERIFY(port.setOutput(QStringLiteral("*RST\r")));
    QCOMPARE(pty.read(5), QByteArray("*RST\r"));
#endif
}

void TcpPortTest::eachPortOpensByItsOwnMap()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    PortMap nowhere;
    nowhere.setDevice(1, QStringLiteral("/nonexistent/quorra-test/COM1"));
    RoutedPort networked, local, unmapped;
    networked.setPortMap(mapped(1, tcpTo(server.serverPort())));
    local.setPortMap(nowhere);
    // The same port number, three maps.
    QVERIFY(!local.setPortOpen(true));
    QVERIFY(!local.isTcp());
    QVERIFY(networked.setPortOpen(true));
    QVERIFY(networked.isTcp());
    QVERIFY(!unmapped.tcp().setPortOpen(true)); // no network mapping of its own
    QTRY_VERIFY(server.hasPendingConnections());
    server.nextPendingConnection()->abort();
    QTRY_VERIFY(!networked.PortOpen());
    // A new map counts from the next opening on.
    networked.setPortMap(nowhere);
    QVERIFY(!networked.setPortOpen(true));
    QVERIFY(!networked.isTcp());
}

QTEST_GUILESS_MAIN(TcpPortTest)
#include "test_tcp_port.moc"
