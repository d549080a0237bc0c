// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The command line: what is accepted, what is refused (exit status 2 with a
// message), the help and version texts, the port mappings it and the
// settings make, and `quorra FILE`, which opens FILE as File > Open does.
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/PortMappings.h"
#include "domain/files/StepDocument.h"
#include "domain/files/StepFileTestData.h"
#include "domain/ports/QtSerialPort.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {
CommandLineOutcome parse(const QString &arguments)
{
    return parseCommandLine(QStringList{QStringLiteral("/usr/bin/quorra")}
                            + arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}
} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT
private slots:
    void refused_data();
    void refused();
    void runOptions();
    void helpAndVersion_withoutAnApplication();
    void portMappings_commandLineOverridesSettings();
    void portMappings_eachCallItsOwnMap();
    void portSetting_unreadableIsNotAvailable_data();
    void portSetting_unreadableIsNotAvailable();
    void fileOpensAtStart_asOpenDoes();
};

void CommandLineTest::refused_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("unknown option") << "--fast"
                                    << "Unknown option 'fast'";
    QTest::newRow("two files") << "a.log b.log"
                               << "one step file at most";
    QTest::newRow("bad com1") << "--com1 ttyUSB0"
                              << "--com1: \"ttyUSB0\" is neither";
    QTest::newRow("mode without run") << "--mode cycle"
                                      << "--mode is only for --run";
    QTest::newRow("run and a file") << "--run a.log b.log"
                                    << "one too many";
    QTest::newRow("mode") << "--run a.log --mode twice"
                          << "--mode is single, continuous or cycle";
    QTest::newRow("cycles without cycle") << "--run a.log --cycles 3"
                                          << "only for --mode cycle";
    QTest::newRow("cycles 0") << "--run a.log --mode cycle --cycles 0"
                              << "1 to 9999";
    QTest::newRow("cycles 2.5") << "--run a.log --mode cycle --cycles 2.5"
                                << "1 to 9999";
    QTest::newRow("baud") << "--run a.log --baud 19200"
                          << "--baud is 1200, 2400, 4800 or 9600";
    QTest::newRow("seconds 0") << "--run a.log --seconds 0"
                               << "--seconds is a number of seconds above 0";
    QTest::newRow("seconds beyond the timer") << "--run a.log --seconds 100000000"
                                              << "at most 2147483.647 (24.8 days)";
    QTest::newRow("port") << "--run a.log --port COM0"
                          << "--port: \"COM0\": a port number is 1 to 255";
    QTest::newRow("a file twice") << "--run a.log --run b.log"
                                  << "--run is given more than once";
}

void CommandLineTest::refused()
{
    QFETCH(QString, arguments);
    QFETCH(QString, messagePart);
    const CommandLineOutcome outcome = parse(arguments);
    QVERIFY(!outcome.options);
    QCOMPARE(outcome.exitStatus, 2);
    QVERIFY(outcome.standardOutput.isEmpty());
    QVERIFY2(outcome.standardError.startsWith(QStringLiteral("quorra: ")), qPrintable(outcome.standardError));
    QVERIFY2(outcome.standardError.contains(messagePart), qPrintable(outcome.standardError));
}

void CommandLineTest::runOptions()
{
    const CommandLineOutcome defaults = parse(QStringLiteral("--run=p.log"));
    QVERIFY(defaults.options && defaults.options->run);
    const HeadlessRunOptions &d = *defaults.options->run;
    QCOMPARE(QStringList({d.file, d.port.text(), d.baud, QString::number(d.cycles)}),
             QStringList({"p.log", "COM1", "9600", "1"}));
    QVERIFY(d.mode == HeadlessRunOptions::Mode::Single && !d.seconds && d.recordDirectory.isEmpty());

    const CommandLineOutcome all = parse(QStringLiteral(
        "--run p.log --mode cycle --cycles 9999 --port tcp://127.0.0.1:4001 --baud 1200 --seconds 2.5 --record out"));
    QVERIFY2(all.options && all.options->run, qPrintable(all.standardError));
    const HeadlessRunOptions &a = *all.options->run;
    QCOMPARE(QStringList({a.port.text(), a.baud, QString::number(a.cycles), a.recordDirectory}),
             QStringList({"tcp://127.0.0.1:4001", "1200", "9999", "out"}));
    QVERIFY(a.mode == HeadlessRunOptions::Mode::Cycle && a.seconds == 2.5);
}

void CommandLineTest::helpAndVersion_withoutAnApplication()
{
    if (QCoreApplication::instance())
        QSKIP("run before the application exists, by main()");
    const CommandLineOutcome version = parse(QStringLiteral("--version"));
    QVERIFY(!version.options);
    QCOMPARE(version.exitStatus, 0);
    QCOMPARE(version.standardOutput, QStringLiteral("quorra 1.0.0\n"));

    const CommandLineOutcome help = parse(QStringLiteral("-h"));
    QCOMPARE(help.exitStatus, 0);
    QVERIFY(help.standardOutput.startsWith(QStringLiteral("Usage: quorra [options] [FILE]\n")));
    for (const char *option : {"--com1", "--com2", "--run", "--mode", "--cycles", "--port", "--baud",
                               "--seconds", "--record", "--version"})
        QVERIFY2(help.standardOutput.contains(QLatin1String(option)), option);
}

void CommandLineTest::portMappings_commandLineOverridesSettings()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("quorra.conf")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Ports/COM1"), QStringLiteral("tcp://10.0.0.7:4001"));
    settings.setValue(QStringLiteral("Ports/COM2"), QStringLiteral("/dev/serial/by-id/usb-adapter"));

    const CommandLineOutcome quoted = parseCommandLine(
        {QStringLiteral("quorra"), QStringLiteral("--com2"), QStringLiteral("COM 7")});
    QVERIFY(quoted.options);
    const PortMappings given = applyPortMappings(*quoted.options, &settings);
    QVERIFY(given.warnings.isEmpty());
    QCOMPARE(given.map.target(1).text(), QStringLiteral("tcp://10.0.0.7:4001"));
    QCOMPARE(given.map.target(2).text(), QStringLiteral("COM7"));

    // A setting that cannot be read is named, and its port is connected to
    // nothing: never to the platform's device for it.
    settings.setValue(QStringLiteral("Ports/COM1"), QStringLiteral("ttyUSB0"));
    const PortMappings unreadable = applyPortMappings(ProgramOptions{}, &settings);
    const QStringList &warnings = unreadable.warnings;
    QCOMPARE(warnings.size(), 1);
    QVERIFY(warnings[0].contains(QStringLiteral("Ports/COM1")));
    QCOMPARE(unreadable.map.serialDevice(1), QString());
}

void CommandLineTest::portMappings_eachCallItsOwnMap()
{
    // Nothing is left over from an earlier call: each map is what its own
    // options and settings say.
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("quorra.conf")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Ports/COM1"), QStringLiteral("garbage"));
    ProgramOptions given;
    given.com2 = parsePortTarget(QStringLiteral("tcp://10.0.0.7:4001"));
    const PortMappings first = applyPortMappings(given, &settings);
    QCOMPARE(first.warnings.size(), 1);
    QCOMPARE(first.map.serialDevice(1), QString());
    QCOMPARE(first.map.target(2).text(), QStringLiteral("tcp://10.0.0.7:4001"));

    const PortMappings second = applyPortMappings(ProgramOptions{}, nullptr);
    QVERIFY(second.map.isEmpty());
    QVERIFY(second.warnings.isEmpty());
    QCOMPARE(second.map.target(1).kind, PortTarget::Kind::Number);
    QCOMPARE(second.map.target(2).kind, PortTarget::Kind::Number);
}

void CommandLineTest::portSetting_unreadableIsNotAvailable_data()
{
    QTest::addColumn<QByteArray>("line"); // in the settings file's [Ports]
    QTest::addColumn<QString>("why");     // in the warning; empty: none, the port opens
    QTest::newRow("garbage") << QByteArray("COM1=garbage") << "\"garbage\" is neither a port";
    QTest::newRow("TCP port 0") << QByteArray("COM1=tcp://host:0") << "the TCP port is 1 to 65535";
    QTest::newRow("TCP port too big") << QByteArray("COM1=tcp://host:99999") << "the TCP port is 1 to 65535";
    QTest::newRow("stored value") << QByteArray("COM1=@Variant(garbage)") << "cannot be decoded";
    QTest::newRow("stored point") << QByteArray("COM1=@Point(1 2)") << "not text but a stored QPoint";
    QTest::newRow("comma unquoted") << QByteArray("COM1=/dev/ttyUSB0, /dev/ttyUSB1") << "it is a list";
    QTest::newRow("a device") << QByteArray("COM1=/dev/ttyUSB3") << QString();
}

void CommandLineTest::portSetting_unreadableIsNotAvailable()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, why);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quorra.conf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Ports]\n" + line + "\nCOM2=COM 7\n");
    file.close();
    const QSettings settings(path, QSettings::IniFormat);

    // Qt's own words about a value it cannot decode do not reach the user.
    static QStringList qtSaid;
    qtSaid.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &m) { qtSaid << m; });
    const PortMappings mappings = applyPortMappings(ProgramOptions{}, &settings);
    const QStringList &warnings = mappings.warnings;
    qInstallMessageHandler(previous);
    QCOMPARE(qtSaid, QStringList());
    QCOMPARE(mappings.map.target(2).text(), QStringLiteral("COM7")); // the other port keeps its setting

    if (why.isEmpty()) {
        QCOMPARE(warnings, QStringList());
        QCOMPARE(mappings.map.serialDevice(1), QStringLiteral("/dev/ttyUSB3"));
        return;
    }
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings[0].startsWith(QStringLiteral("setting Ports/COM1 in ") + path
                                    + QStringLiteral(" cannot be read: ")),
             qPrintable(warnings[0]));
    QVERIFY2(warnings[0].contains(why), qPrintable(warnings[0]));
    QVERIFY(warnings[0].endsWith(QStringLiteral("; \"COM 1\" is not available")));
    // A port that does not open, whatever the platform has for port 1.
    QCOMPARE(mappings.map.serialDevice(1, [](const QString &) { return true; }), QString());
    QtSerialPort port;
    port.setPortMap(mappings.map);
    port.setCommPort(1);
    QVERIFY(!port.setPortOpen(true));
}

void CommandLineTest::fileOpensAtStart_asOpenDoes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dips.log"));
    QVERIFY(StepFileTestData::writeBytes(path, StepFileTestData::exampleFile()));
    const CommandLineOutcome outcome = parseCommandLine({QStringLiteral("quorra"), path});
    QVERIFY(outcome.options);

    FakePlatform fake;
    frmControl window(fake.bundle());
    QVERIFY(startWindow(window, *outcome.options));
    QVERIFY(settle(window)); // the start-up's Local goes out on the session's thread
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarvel Quorra-7 - ") + path);
    QVERIFY(!window.document().modified());
    QCOMPARE(window.ui().livData->count(), 1);
    QCOMPARE(window.ui().livData->item(1).label, QStringLiteral("Step1"));
    QVERIFY(fake.messages.shown.isEmpty());
    QVERIFY(fake.files.calls.isEmpty()); // no dialog
    QCOMPARE(fake.port.commands(), QStringList{QStringLiteral(":SYST:LOC ")});
    QCOMPARE(window.document().dialogFileName(), path); // the next Open starts there
}

int main(int argc, char *argv[])
{
    // The parser needs no application: test that first, then the window's.
    CommandLineTest test;
    int status = QTest::qExec(&test, QStringList{QString::fromLocal8Bit(argv[0]),
                                                 QStringLiteral("helpAndVersion_withoutAnApplication")});
    QApplication app(argc, argv);
    return status | QTest::qExec(&test, argc, argv);
}
#include "test_command_line.moc"
