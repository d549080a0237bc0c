// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The real serial adapter against a pseudo-terminal pair: the bytes that
// arrive at the far end and the line settings applied to the device.
#include "domain/instrument/Commands.h"
#include "domain/ports/PortMap.h"
#include "domain/ports/QtSerialPort.h"
#include "support/PtyPair.h"

#include <QTest>

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

class SerialPtyTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyHeaderArrivesByteExact_data();
    void everyHeaderArrivesByteExact();
    void latin1TextIsOneBytePerCharacter();
    void lineSettingsReachTheDevice_data();
    void lineSettingsReachTheDevice();
    void writeToClosedPortFails();
    void stalledReaderIsNotALostLink();
    void farEndGone_isALostLinkWithoutAWrite();
    void discard_countsWhatThePortHeld();
    void missingDeviceDoesNotOpen();

private:
    QByteArray readFarEnd(int expected, int timeoutMs = 3000) { return m_pty.read(expected, timeoutMs); }
    // Writes count commands; their bytes, or none if a write failed.
    static QByteArray writeCommands(QtSerialPort &port, int count)
    {
        QByteArray bytes;
        for (int i = 0; i < count; ++i) {
            const QString line = QStringLiteral(":SOUR:VOLT %1.00\r").arg(i % 311);
            if (!port.setOutput(line))
                return {};
            bytes += line.toLatin1();
        }
        return bytes;
    }
    PtyPair m_pty;
    PortMap m_ports; // port 1 on the pseudo-terminal
};

#ifdef Q_OS_UNIX
void SerialPtyTest::init()
{
    QVERIFY(m_pty.open());
    m_ports.setDevice(1, m_pty.deviceName());
}

void SerialPtyTest::cleanup()
{
    m_ports = PortMap();
    m_pty.close();
}

void SerialPtyTest::everyHeaderArrivesByteExact_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("remote") << Command::Remote << QByteArray(":SYST:REM \r");
    QTest::newRow("local") << Command::Local << QByteArray(":SYST:LOC \r");
    QTest::newRow("reset") << Command::Reset << QByteArray("*RST\r");
    QTest::newRow("turn off") << Command::Turn + Command::Off << QByteArray(":SOUR:TURN OFF\r");
    QTest::newRow("turn step") << Command::Turn + "On" << QByteArray(":SOUR:TURN On\r");
    QTest::newRow("relay on") << Command::OutputRelay + Command::On << QByteArray(":OUTP ON\r");
    QTest::newRow("relay off") << Command::OutputRelay + Command::Off << QByteArray(":OUTP OFF\r");
    QTest::newRow("range") << Command::Range + "low" << QByteArray(":SOUR:RANG low\r");
    QTest::newRow("voltage") << Command::Voltage + "110" << QByteArray(":SOUR:VOLT 110\r");
    QTest::newRow("frequency empty") << Command::Frequency << QByteArray(":SOUR:FREQ \r");
    QTest::newRow("start phase") << Command::StartPhase + "0.00" << QByteArray(":SOUR:STPH 0.00\r");
    QTest::newRow("stop phase") << Command::StopPhase + "360.00" << QByteArray(":SOUR:SPPH 360.00\r");
}

void SerialPtyTest::everyHeaderArrivesByteExact()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, wire);
    QtSerialPort port;
    port.setPortMap(m_ports);
    port.setCommPort(1);
    QVERIFY(port.setPortOpen(true));
    QVERIFY(port.setOutput(command + Command::Terminator));
    QCOMPARE(readFarEnd(int(wire.size())), wire);
    // Nothing more follows.
    QCOMPARE(readFarEnd(1, 100).size(), 0);
}

void SerialPtyTest::latin1TextIsOneBytePerCharacter()
{
    QtSerialPort port;
    port.setPortMap(m_ports);
    QVERIFY(port.setPortOpen(true));
    const QString text = QStringLiteral(":SOUR:RANG H\u00f6he\r");
    QVERIFY(port.setOutput(text));
    QCOMPARE(readFarEnd(int(text.size())), QByteArray(":SOUR:RANG H\xf6he\r"));
}

void SerialPtyTest::lineSettingsReachTheDevice_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("speed");
    QTest::newRow("1200") << QStringLiteral("1200,n,8,1") << int(B1200);
    QTest::newRow("2400") << QStringLiteral("2400,n,8,1") << int(B2400);
    QTest::newRow("4800") << QStringLiteral("4800,n,8,1") << int(B4800);
    QTest::newRow("9600") << QStringLiteral("9600,n,8,1") << int(B9600);
}

void SerialPtyTest::lineSettingsReachTheDevice()
{
    QFETCH(QString, settings);
    QFETCH(int, speed);
    QtSerialPort port;
    port.setPortMap(m_ports);
    // Settings given while closed apply on open; given while open, at once.
    QVERIFY(port.setSettings(QStringLiteral("2400,n,8,1")));
    QVERIFY(port.setPortOpen(true));
    QVERIFY(port.setSettings(settings));
    termios t{};
    QCOMPARE(tcgetattr(m_pty.nearEnd(), &t), 0);
    QCOMPARE(int(cfgetospeed(&t)), speed);
    QCOMPARE(int(t.c_cflag & CSIZE), int(CS8));
    QVERIFY(!(t.c_cflag & PARENB));
    QVERIFY(!(t.c_cflag & CSTOPB));
    QVERIFY(!(t.c_cflag & CRTSCTS));
    QVERIFY(!(t.c_iflag & (IXON | IXOFF)));
}

void SerialPtyTest::writeToClosedPortFails()
{
    QtSerialPort port;
    port.setPortMap(m_ports);
    QVERIFY(!port.setOutput(QStringLiteral("*RST\r")));
    QVERIFY(port.setPortOpen(true));
    QVERIFY(port.setPortOpen(false));
    QVERIFY(!port.PortOpen());
    QVERIFY(!port.setOutput(QStringLiteral("*RST\r")));
    QCOMPARE(readFarEnd(1, 100).size(), 0);
}

void SerialPtyTest::stalledReaderIsNotALostLink()
{
    // Far more than the driver queues while nobody reads: the rest waits in
    // the port and follows, whole and in order, once the far end reads again.
    QtSerialPort port;
    port.setPortMap(m_ports);
    bool lost = false;
    port.onLinkLost = [&] { lost = true; };
    QVERIFY(port.setPortOpen(true));
    const QByteArray expected = writeCommands(port, 20000);
    QVERIFY(!expected.isEmpty());
    QVERIFY(!lost);
    QVERIFY(port.PortOpen());
    QCOMPARE(readFarEnd(int(expected.size()), 10000), expected);
    QVERIFY(!lost);
}

void SerialPtyTest::farEndGone_isALostLinkWithoutAWrite()
{
    // In the middle of a long step nothing is written: the hang-up is seen
    // all the same, and the port closes.
    QtSerialPort port;
    port.setPortMap(m_ports);
    bool lost = false;
    port.onLinkLost = [&] { lost = true; };
    QVERIFY(port.setPortOpen(true));
    m_pty.closeFarEnd();
    QTRY_VERIFY_WITH_TIMEOUT(lost, 2000);
    QVERIFY(!port.PortOpen());
}

void SerialPtyTest::discard_countsWhatThePortHeld()
{
    // Nobody reads: most of it waits in the port when it is dropped, and
    // the count says how much; nothing dropped reaches the far end after.
    QtSerialPort port;
    port.setPortMap(m_ports);
    QVERIFY(port.setPortOpen(true));
    const qint64 written = writeCommands(port, 20000).size();
    QVERIFY(written > 0);
    QVERIFY(port.discardOutput());
    const qint64 dropped = port.discardedBytes();
    QVERIFY2(dropped > written / 2 && dropped <= written, QByteArray::number(dropped).constData());
    QVERIFY(readFarEnd(-1, 300).size() + dropped <= written);
}

void SerialPtyTest::missingDeviceDoesNotOpen()
{
    m_ports.setDevice(2, QStringLiteral("/nonexistent/tty-quorra"));
    QtSerialPort port;
    port.setPortMap(m_ports);
    port.setCommPort(2);
    QVERIFY(!port.setPortOpen(true));
    QVERIFY(!port.PortOpen());
}
#else
void SerialPtyTest::init()
{
    QSKIP("pseudo-terminals are POSIX only");
}
void SerialPtyTest::cleanup() {}
void SerialPtyTest::everyHeaderArrivesByteExact_data() {}
void SerialPtyTest::everyHeaderArrivesByteExact() {}
void SerialPtyTest::latin1TextIsOneBytePerCharacter() {}
void SerialPtyTest::lineSettingsReachTheDevice_data() {}
void SerialPtyTest::lineSettingsReachTheDevice() {}
void SerialPtyTest::writeToClosedPortFails() {}
void SerialPtyTest::stalledReaderIsNotALostLink() {}
void SerialPtyTest::farEndGone_isALostLinkWithoutAWrite() {}
void SerialPtyTest::discard_countsWhatThePortHeld() {}
void SerialPtyTest::missingDeviceDoesNotOpen() {}
#endif

QTEST_GUILESS_MAIN(SerialPtyTest)
#include "test_serial_pty.moc"
