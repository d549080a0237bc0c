// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/PortText.h"
#include "domain/ports/LineSettings.h"
#include "domain/ports/PortMap.h"

#include <QSet>
#include <QTest>

class PortMapTest : public QObject
{
    Q_OBJECT
private slots:
    void deviceForPort_data();
    void deviceForPort();
    void overrideWins();
    void portNumberFromEntry_data();
    void portNumberFromEntry();
    void lineSettings_data();
    void lineSettings();
    void portTarget_data();
    void portTarget();
    void mappingFollowsTheTarget();
    void toolTipSaysWhatTheRateMeans_data();
    void toolTipSaysWhatTheRateMeans();
    void eachMapping_data();
    void eachMapping();
};

void PortMapTest::deviceForPort_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("device");
#ifdef Q_OS_WIN
    QTest::newRow("windows") << 2 << QStringList{} << QStringLiteral("COM2");
#else
    const QString usb0 = QStringLiteral("/dev/ttyUSB0"), acm0 = QStringLiteral("/dev/ttyACM0"),
                  s0 = QStringLiteral("/dev/ttyS0"), s1 = QStringLiteral("/dev/ttyS1"),
                  usb1 = QStringLiteral("/dev/ttyUSB1");
    QTest::newRow("usb adapter wins over on-board uart") << 1 << QStringList{usb0, acm0, s0} << usb0;
    QTest::newRow("acm before uart") << 1 << QStringList{acm0, s0} << acm0;
    QTest::newRow("uart alone") << 1 << QStringList{s0} << s0;
    QTest::newRow("port 2 is index 1") << 2 << QStringList{usb0, usb1, s1} << usb1;
    QTest::newRow("nothing present names the uart") << 2 << QStringList{} << s1;
#endif
}

void PortMapTest::deviceForPort()
{
    QFETCH(int, port);
    QFETCH(QStringList, present);
    QFETCH(QString, device);
    const QSet<QString> set(present.begin(), present.end());
    QCOMPARE(PortMap().serialDevice(port, [&](const QString &p) { return set.contains(p); }), device);
}

void PortMapTest::overrideWins()
{
    PortMap map;
    map.setDevice(1, QStringLiteral("/dev/pts/77"));
    QCOMPARE(map.serialDevice(1, [](const QString &) { return true; }), QStringLiteral("/dev/pts/77"));
    map = PortMap();
    QVERIFY(map.serialDevice(1, [](const QString &) { return true; }) != QStringLiteral("/dev/pts/77"));
}

void PortMapTest::portNumberFromEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("number");
    QTest::newRow("COM 1") << QStringLiteral("COM 1") << 1;
    QTest::newRow("COM 2") << QStringLiteral("COM 2") << 2;
    QTest::newRow("no blank") << QStringLiteral("COM2") << 2; // from the fourth character on: "2"
    QTest::newRow("garbage") << QStringLiteral("COM x") << 0;
    QTest::newRow("empty") << QString() << 0;
}

void PortMapTest::portNumberFromEntry()
{
    QFETCH(QString, entry);
    QFETCH(int, number);
    QCOMPARE(int(portNumberFromText(entry)), number);
}

void PortMapTest::lineSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("baud");
    QTest::newRow("9600") << QStringLiteral("9600,n,8,1") << true << 9600;
    QTest::newRow("1200") << QStringLiteral("1200,n,8,1") << true << 1200;
    QTest::newRow("typed junk") << QStringLiteral("fast,n,8,1") << false << 0;
    QTest::newRow("missing part") << QStringLiteral("9600,n,8") << false << 0;
    QTest::newRow("empty baud") << QStringLiteral(",n,8,1") << false << 0;
}

void PortMapTest::lineSettings()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, baud);
    const auto s = parseLineSettings(text);
    QCOMPARE(s.has_value(), valid);
    if (valid) {
        QCOMPARE(s->baud, baud);
        QCOMPARE(s->dataBits, 8);
        QCOMPARE(s->stopBits, 1);
        QCOMPARE(s->parity, 'n');
    }
}

void PortMapTest::portTarget_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("canonical"); // empty: refused
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("COM1") << "COM1"
                          << "COM1"
                          << "";
    QTest::newRow("COM 1") << "COM 1"
                           << "COM1"
                           << "";
    QTest::newRow("bare number") << " 2 "
                                 << "COM2"
                                 << "";
    QTest::newRow("port too high") << "300"
                                   << ""
                                   << "1 to 255";
    QTest::newRow("by-id path") << "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"
                                << "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"
                                << "";
    QTest::newRow("windows device") << R"(\\.\COM12)"
                                    << R"(\\.\COM12)"
                                    << "";
    QTest::newRow("tcp") << "tcp://10.0.0.7:4001"
                         << "tcp://10.0.0.7:4001"
                         << "";
    QTest::newRow("tcp host name") << "TCP://moxa-3.lab:950"
                                   << "tcp://moxa-3.lab:950"
                                   << "";
    QTest::newRow("tcp ipv6") << "tcp://[::1]:5025"
                              << "tcp://[::1]:5025"
                              << "";
    QTest::newRow("tcp without port") << "tcp://10.0.0.7"
                                      << ""
                                      << "tcp://HOST:PORT";
    QTest::newRow("tcp port too high") << "tcp://h:70000"
                                       << ""
                                       << "1 to 65535";
    QTest::newRow("other scheme") << "udp://h:80"
                                  << ""
                                  << "only tcp:// and rfc2217://";
#ifdef QUORRA_NO_RFC2217
    // Built without libtelnet: the form is refused, and the message says why.
    QTest::newRow("rfc2217 without libtelnet") << "rfc2217://10.0.0.7:2217"
                                               << ""
                                               << "without libtelnet";
#else
    QTest::newRow("rfc2217") << "RFC2217://10.0.0.7:2217"
                             << "rfc2217://10.0.0.7:2217"
                             << "";
    QTest::newRow("rfc2217 ipv6") << "rfc2217://[fe80::1]:7000"
                                  << "rfc2217://[fe80::1]:7000"
                                  << "";
    QTest::newRow("rfc2217 without port") << "rfc2217://h"
                                          << ""
                                          << "rfc2217://HOST:PORT";
#endif
    QTest::newRow("visa socket") << "TCPIP::192.168.1.9::5025::SOCKET"
                                 << "TCPIP::192.168.1.9::5025::SOCKET"
                                 << "";
    QTest::newRow("visa board 0") << "tcpip0::ac-src.lab::5025::socket"
                                  << "TCPIP::ac-src.lab::5025::SOCKET"
                                  << "";
    QTest::newRow("visa ipv6") << "TCPIP0::[::1]::5025::SOCKET"
                               << "TCPIP::[::1]::5025::SOCKET"
                               << "";
    QTest::newRow("visa instr") << "TCPIP::10.0.0.7::inst0::INSTR"
                                << ""
                                << "TCPIP::HOST::PORT::SOCKET";
    QTest::newRow("visa port 0") << "TCPIP::h::0::SOCKET"
                                 << ""
                                 << "1 to 65535";
    QTest::newRow("relative name") << "ttyUSB0"
                                   << ""
                                   << "neither";
}

void PortMapTest::portTarget()
{
    QFETCH(QString, text);
    QFETCH(QString, canonical);
    QFETCH(QString, errorPart);
    QString error;
    const auto target = parsePortTarget(text, &error);
    QCOMPARE(target.has_value(), !canonical.isEmpty());
    if (target) {
        QCOMPARE(target->text(), canonical);
        QCOMPARE(parsePortTarget(target->text()), target); // the canonical text reads back the same
    } else {
        QVERIFY2(error.contains(errorPart), qPrintable(error));
    }
}

void PortMapTest::mappingFollowsTheTarget()
{
    const auto any = [](const QString &) { return true; };
    PortMap map;
    map.set(1, *parsePortTarget(QStringLiteral("tcp://127.0.0.1:4001")));
    map.set(2, *parsePortTarget(QStringLiteral("COM5")));
    QCOMPARE(map.serialDevice(1), QStringLiteral("tcp://127.0.0.1:4001"));
#ifdef Q_OS_WIN
    QCOMPARE(map.serialDevice(2, any), QStringLiteral("COM5"));
#else
    QCOMPARE(map.serialDevice(2, any), QStringLiteral("/dev/ttyUSB4")); // port 5's device, not 2's
#endif
    map = PortMap();
    QCOMPARE(map.target(1).kind, PortTarget::Kind::Number);
    QCOMPARE(map.target(1).number, 1);
}

void PortMapTest::toolTipSaysWhatTheRateMeans_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("device") << "/dev/ttyUSB7"
                            << "/dev/ttyUSB7";
    QTest::newRow("raw server")
        << "tcp://10.0.0.7:4001"
        << "tcp://10.0.0.7:4001 (serial server, raw TCP: its line runs at the baud rate chosen here)";
    QTest::newRow("rfc2217 server")
        << "rfc2217://10.0.0.7:2217"
        << "rfc2217://10.0.0.7:2217 (serial server, RFC 2217: its line is set to the baud rate chosen here)";
    QTest::newRow("instrument")
        << "TCPIP0::10.0.0.9::5025::SOCKET"
        << "TCPIP::10.0.0.9::5025::SOCKET (instrument on the network: no serial line, the baud rate is not used)";
}

void PortMapTest::toolTipSaysWhatTheRateMeans()
{
    QFETCH(QString, target);
    QFETCH(QString, toolTip);
    PortMap map;
    map.set(2, *parsePortTarget(target));
    QCOMPARE(map.toolTip(2), toolTip);
}

void PortMapTest::eachMapping_data()
{
    // Port 1 mapped as the row says, then looked up with every device present.
    QTest::addColumn<QString>("how");     // "device", "unavailable", "target", "twice"
    QTest::addColumn<QString>("text");    // the device path or the target's text
    QTest::addColumn<QString>("device");  // serialDevice(1)
    QTest::addColumn<QString>("toolTip"); // toolTip(1)
    QTest::addColumn<bool>("network");
#ifdef Q_OS_WIN
    const QString own5 = QStringLiteral("COM5");
#else
    const QString own5 = QStringLiteral("/dev/ttyUSB4");
#endif
    QTest::newRow("device") << "device"
                            << "/dev/pts/3"
                            << "/dev/pts/3"
                            << "/dev/pts/3" << false;
    QTest::newRow("unavailable: no device at all") << "unavailable"
                                                   << ""
                                                   << ""
                                                   << "" << false;
    QTest::newRow("another number") << "target"
                                    << "COM5" << own5 << own5 << false;
    QTest::newRow("socket")
        << "target"
        << "TCPIP::10.0.0.9::5025::SOCKET"
        << "TCPIP::10.0.0.9::5025::SOCKET"
        << "TCPIP::10.0.0.9::5025::SOCKET (instrument on the network: no serial line, the baud rate is not used)"
        << true;
    QTest::newRow("the last mapping wins") << "twice"
                                           << "/dev/pts/4"
                                           << "/dev/pts/4"
                                           << "/dev/pts/4" << false;
}

void PortMapTest::eachMapping()
{
    QFETCH(QString, how);
    QFETCH(QString, text);
    QFETCH(QString, device);
    QFETCH(QString, toolTip);
    QFETCH(bool, network);
    const auto any = [](const QString &) { return true; };
    PortMap map;
    if (how == QLatin1String("device")) {
        map.setDevice(1, text);
    } else if (how == QLatin1String("unavailable")) {
        map.setUnavailable(1);
    } else if (how == QLatin1String("twice")) {
        map.set(1, *parsePortTarget(QStringLiteral("tcp://10.0.0.7:4001")));
        map.setDevice(1, text);
    } else {
        map.set(1, *parsePortTarget(text));
    }
    QVERIFY(!map.isEmpty());
    QCOMPARE(map.serialDevice(1, any), device);
    QCOMPARE(map.toolTip(1, any), toolTip);
    QCOMPARE(map.target(1).isNetwork(), network);
    // Port 2 is untouched: its own device.
#ifdef Q_OS_WIN
    QCOMPARE(map.serialDevice(2, any), QStringLiteral("COM2"));
#else
    QCOMPARE(map.serialDevice(2, any), QStringLiteral("/dev/ttyUSB1"));
#endif
    QCOMPARE(map.target(2).kind, PortTarget::Kind::Number);
    QCOMPARE(map.target(2).number, 2);
}

QTEST_GUILESS_MAIN(PortMapTest)
#include "test_port_map.moc"
