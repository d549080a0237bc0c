// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// quorra --run: the program itself, run as a script runs it, against the
// virtual source on a pseudo-terminal and on loopback TCP. What arrives is
// what the window sends for the same operator actions; the record's rows
// are the lines on the wire; the exit status tells how the run ended.
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/HeadlessRun.h"
#include "app/RunProgress.h"
#include "domain/files/StepFileFormat.h"
#include "domain/steps/StepTableModel.h"
#include "gui/shell/frmControl.h"
#include "sim/demo/WindowDriver.h"
#include "sim/source/SourceLink.h"
#include "sim/source/TcpCable.h"
#include "support/FakePlatform.h"
#include "support/Loopback.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

using Cable = SourceLink::Cable;
Q_DECLARE_METATYPE(SourceLink::Cable)
Q_DECLARE_METATYPE(RunChoice)

namespace {
StepRecord step(int number, const QString &voltage, const QString &dwell, bool checked = true)
{
    StepRecord row;
    row.checked = checked;
    row.label = QStringLiteral("Step%1").arg(number);
    row.values = {"On", "Auto", voltage, "50.00", "0.00", "360.00", dwell};
    return row;
}

QString writeSteps(const QTemporaryDir &dir, const std::vector<StepRecord> &rows)
{
    const QString path = dir.filePath(QStringLiteral("steps.log"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(StepFileFormat::format(rows)) < 0)
        return {};
    return path;
}

QStringList receivedLines(const SourceLink &link)
{
    QStringList lines;
    for (const ReceivedLine &line : link.model().transcript())
        lines << QString::fromLatin1(line.text);
    return lines;
}

// The command column of a record, which needs no quoting here.
QStringList recordedCommands(const QString &directory)
{
    const QStringList files = QDir(directory).entryList({QStringLiteral("quorra-run-*.csv")});
    if (files.size() != 1)
        return {QStringLiteral("%1 records").arg(files.size())};
    QFile file(QDir(directory).filePath(files.constFirst()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList rows = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QStringList commands;
    for (const QString &row : rows.mid(1))
        commands << row.section(QLatin1Char(','), 3);
    return commands;
}

// What the window sends when the operator starts it with the file, chooses
// Remote and the mode, presses RUN, lets the run end (or, with
// stepCommands given, presses STOP once that many commands have gone out)
// and closes it.
QStringList windowTranscript(const QString &file, const RunChoice &choice, qsizetype stopAfter = -1)
{
    FakePlatform fake;
    frmControl window(fake.bundle());
    ProgramOptions options;
    options.file = file;
    if (!startWindow(window, options))
        return {};
    chooseRemote(window);
    chooseRunMode(window, choice);
    window.cmdRunStop_Click();
    settle(window);
    // A step of 0 ms is held until STOP: no tick comes.
    while (isRunning(window) && (stopAfter < 0 || fake.port.commands().size() < stopAfter)
           && fake.timer.tick()) {
    }
    if (isRunning(window)) {
        window.cmdRunStop_Click();
        settle(window);
    }
    window.close();
    settle(window);
    return fake.port.commands();
}

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};
} // namespace

class HeadlessRunTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void timeLeft_data();
    void timeLeft();
    void transcript_data();
    void transcript();
    void refusedBeforeAnythingIsSent_data();
    void refusedBeforeAnythingIsSent();
    void heldUntilStop_data();
    void heldUntilStop();
    void runWaitsForRemotesCommand_data();
    void runWaitsForRemotesCommand();
    void stepsWholeAtTheFarEnd_data();
    void stepsWholeAtTheFarEnd();
    void recordTrouble_summarySaysSo_data();
    void recordTrouble_summarySaysSo();
    void farEndClosesMidRun_exitOne();
    void interrupt_offCommandsThen130();
    void signalDuringConnect_endsAtOnce_data();
    void signalDuringConnect_endsAtOnce();
    void serverResetsMidRun_exitOneMessageOnce();
    void signalDuringStartupClose_noRemote();
    void offCommandsUntaken_summarySaysSo_data();
    void offCommandsUntaken_summarySaysSo();

private:
    // Runs quorra with the arguments while the virtual source listens.
    Outcome run(const QStringList &arguments, SourceLink *link = nullptr,
                const std::function<void(QProcess &)> &during = {});
    // Plays file on a serial server on the loopback port and sends the
    // signal half a second after the start; signalled starts then.
    Outcome runSignalled(const QString &file, quint16 port, int signalNumber,
                         QElapsedTimer *signalled = nullptr);

    QTemporaryDir m_config;          // no settings of the user's
    std::function<void()> m_inChild; // run in the child before the program starts
};

Outcome HeadlessRunTest::runSignalled(const QString &file, quint16 port, int signalNumber,
                                      QElapsedTimer *signalled)
{
    return run({file, "--port", QStringLiteral("tcp://127.0.0.1:%1").arg(port)}, nullptr,
               [&](QProcess &process) {
                   QTest::qWait(500);
                   if (signalled)
                       signalled->start();
#ifdef Q_OS_UNIX
                   if (process.state() == QProcess::Running)
                       ::kill(static_cast<pid_t>(process.processId()), signalNumber);
#else
        Q_UNUSED(process);
        Q_UNUSED(signalNumber);
#endif
               });
}

void HeadlessRunTest::initTestCase()
{
    QVERIFY(m_config.isValid());
}

Outcome HeadlessRunTest::run(const QStringList &arguments, SourceLink *link,
                             const std::function<void(QProcess &)> &during)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
#ifdef Q_OS_UNIX
    if (m_inChild)
        process.setChildProcessModifier(m_inChild);
#endif
    process.start(QStringLiteral(QUORRA_EXECUTABLE), QStringList{QStringLiteral("--run")} + arguments);
    if (!process.waitForStarted())
        return {};
    if (during)
        during(process);
    QElapsedTimer since;
    since.start();
    while (process.state() != QProcess::NotRunning && since.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        process.waitForFinished(5);
    }
    if (link) {
        QTest::qWait(100); // the last bytes cross the line
        link->finish();
    }
    Outcome outcome;
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    outcome.err = QString::fromLocal8Bit(process.readAllStandardError());
    return outcome;
}

void HeadlessRunTest::timeLeft_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("cyclesLeft");
    QTest::addColumn<qint64>("left");
    // Steps of 1.00, 0.20 (unchecked), 0.50 and 0.25 s: a cycle is 1.75 s
    // and the last step's dwell again before the rewind, 2.00 s.
    QTest::newRow("first step, single") << 1 << 1 << qint64(2000);
    QTest::newRow("last step, single") << 4 << 1 << qint64(500);
    QTest::newRow("second of three cycles") << 3 << 3 << qint64(750 + 250 + 2 * 2000);
    QTest::newRow("continuous: unknown") << 1 << -1 << qint64(-1);
}

void HeadlessRunTest::timeLeft()
{
    QFETCH(int, position);
    QFETCH(int, cyclesLeft);
    QFETCH(qint64, left);
    StepTableModel steps;
    steps.add(1, step(1, "1", "1.00"));
    steps.add(2, step(2, "2", "0.20", false));
    steps.add(3, step(3, "3", "0.50"));
    steps.add(4, step(4, "4", "0.25"));
    QCOMPARE(RunPlan(steps).leftFrom(position, cyclesLeft), left);
    QCOMPARE(durationText(3723456), QStringLiteral("1:02:03.4"));
    QCOMPARE(progressLine("Step3", 3, 4, 2, 3, 61500, 4750),
             QStringLiteral("Step3 ( 3 / 4 )  cycle 2 of 3  elapsed 01:01.5  left 00:04.7"));
    // A label that would set the terminal's title is shown as it reads.
    QCOMPARE(progressLine("\x1b]0;owned\x07", 1, 1, 1, 0, 0, -1),
             QStringLiteral("\\x1b]0;owned\\x07 ( 1 / 1 )  cycle 1  elapsed 00:00.0"));
}

void HeadlessRunTest::transcript_data()
{
    QTest::addColumn<Cable>("cable");
    QTest::addColumn<RunChoice>("choice");
    QTest::addColumn<QStringList>("modeArguments");
    QTest::addColumn<QString>("lastDwell"); // empty: as the first step's
    for (const auto &[cable, name] : {std::pair{Cable::Pty, "pty"}, std::pair{Cable::Tcp, "tcp"}}) {
#ifndef Q_OS_UNIX
        if (cable == Cable::Pty)
            continue;
#endif
        QTest::addRow("%s: single", name) << cable << RunChoice{} << QStringList{} << QString();
        QTest::addRow("%s: cycle 2", name) << cable << RunChoice{RunChoice::Mode::Cycle, 2}
                                           << QStringList{"--mode", "cycle", "--cycles", "2"} << QString();
        QTest::addRow("%s: continuous, STOP after 0.6 s", name)
            << cable << RunChoice{RunChoice::Mode::Continuous, 1}
            << QStringList{"--mode", "continuous", "--seconds", "0.6"} << QString();
    }
    // Held until STOP, as in the window; --seconds presses it.
    QTest::addRow("tcp: single, a 0 ms step, STOP after 0.6 s")
        << Cable::Tcp << RunChoice{} << QStringList{"--seconds", "0.6"} << QStringLiteral("0");
}

void HeadlessRunTest::transcript()
{
    QFETCH(Cable, cable);
    QFETCH(RunChoice, choice);
    QFETCH(QStringList, modeArguments);
    QFETCH(QString, lastDwell);
    QTemporaryDir dir;
    // STOP comes well within a dwell, when the last step's bytes have left.
    const bool continuous = choice.mode == RunChoice::Mode::Continuous;
    const bool stopped = modeArguments.contains(QStringLiteral("--seconds"));
    const QString dwell = continuous ? QStringLiteral("0.40") : QStringLiteral("0.15");
    const QString file = writeSteps(dir, {step(1, "110.00", dwell), step(2, "0.00", "0.20", false),
                                          step(3, "220.00", lastDwell.isEmpty() ? dwell : lastDwell)});
    QVERIFY(!file.isEmpty());

    QElapsedTimer since;
    since.start();
    SourceLink link([&] { return static_cast<double>(since.nsecsElapsed()) / 1e6; }, cable);
    QVERIFY2(link.isOpen(), qPrintable(link.errorText()));
    link.setLive(true);
    const QString records = dir.filePath(QStringLiteral("records"));
    const Outcome outcome = run(
        QStringList{file, "--port", link.farEndPath(), "--record", records} + modeArguments, &link);
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.exitCode, 0);

    const QStringList wire = receivedLines(link);
    // Continuous: the window stops once as many commands as went out before STOP.
    const QStringList window = windowTranscript(file, choice, stopped ? wire.size() - 5 : -1);
    QCOMPARE(wire, window);
    QCOMPARE(recordedCommands(records), wire);
    QVERIFY(outcome.out.contains(QStringLiteral("Steps played: ")));
    QVERIFY(outcome.out.contains(QStringLiteral("Record: ") + QDir::toNativeSeparators(records)));
    if (continuous)
        QVERIFY(wire.count(QStringLiteral(":SOUR:VOLT 220.00")) >= 1);
}

void HeadlessRunTest::refusedBeforeAnythingIsSent_data()
{
    // FILE stands for a step file whose second step has the label, output
    // and dwell given; BAD for one with a dwell too long.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("second"); // label, output, dwell
    QTest::addColumn<QString>("error");
    const QStringList good{"Step2", "On", "0.05"};
    QTest::newRow("cycle count 0") << QStringList{"FILE", "--mode", "cycle", "--cycles", "0"} << good
                                   << "--cycles is a whole number from 1 to 9999";
    QTest::newRow("unknown mode") << QStringList{"FILE", "--mode", "twice"} << good << "--mode is single";
    QTest::newRow("dwell out of range") << QStringList{"BAD"} << good << "The program was not run.";
    QTest::newRow("no such file") << QStringList{"/nonexistent/quorra/steps.log"} << good
                                  << "Can't open file: /nonexistent/quorra/steps.log";
    // Held until STOP, which nobody presses without a window.
    const QString held = QStringLiteral("\" is 0 ms, which holds the step until STOP");
    for (const char *dwell : {"0", "0.0004"})
        QTest::addRow("0 ms step: \"%s\"", dwell)
            << QStringList{"FILE"} << QStringList{"Step2", "On", dwell}
            << "Step2 (row 2): the dwell time \"" + QLatin1String(dwell) + held;
    // Read as 0 ms too, but first refused for what it is.
    QTest::newRow("0 ms step: \"abc\"") << QStringList{"FILE"} << QStringList{"Step2", "On", "abc"}
                                        << "Step2 (row 2): the dwell time \"abc\" is not a number of seconds";
    QTest::newRow("no step checked") << QStringList{"UNCHECKED"} << good
                                     << "No step is checked: the run waits for STOP";
    QTest::newRow("header in a value") << QStringList{"FILE"} << QStringList{"Step2", "Off:OUTP ON", "0.05"}
                                       << "Step2 (row 2): the output holds \":\"";
    QTest::newRow("no steps: an empty table")
        << QStringList{"EMPTY"} << good << " holds no steps. The program was not run.";
    QTest::newRow("control text in a label")
        << QStringList{"FILE"} << QStringList{"\x1b]0;owned\x07", "On", "0"}
        << "\\x1b]0;owned\\x07 (row 2): the dwell time";
}

void HeadlessRunTest::refusedBeforeAnythingIsSent()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, second);
    QFETCH(QString, error);
    QTemporaryDir dir, badDir;
    StepRecord secondStep = step(2, "110.00", second[2]);
    secondStep.label = second[0];
    secondStep.subItem(StepRecord::Output) = second[1];
    const QString good = writeSteps(dir, {step(1, "110.00", "0.05"), secondStep});
    const QString bad = writeSteps(badDir, {step(1, "110.00", "0.05"), step(2, "110.00", "70.00")});
    QTemporaryDir uncheckedDir;
    StepRecord first = step(1, "110.00", "0.05"), last = step(2, "110.00", "0.05");
    first.checked = last.checked = false;
    const QString unchecked = writeSteps(uncheckedDir, {first, last});
    QTemporaryDir emptyDir;
    const QString empty = writeSteps(emptyDir, {});
    arguments.replaceInStrings(QStringLiteral("EMPTY"), empty);
    arguments.replaceInStrings(QStringLiteral("FILE"), good)
        .replaceInStrings(QStringLiteral("BAD"), bad)
        .replaceInStrings(QStringLiteral("UNCHECKED"), unchecked);

    SourceLink link([] { return 0.0; }, Cable::Tcp);
    link.setLive(true);
    const Outcome outcome = run(arguments + QStringList{"--port", link.farEndPath()}, &link);
    QCOMPARE(outcome.exitCode, 2);
    QVERIFY2(outcome.err.contains(error), qPrintable(outcome.err));
    QVERIFY(!outcome.err.contains(QChar(0x1b)));
    QCOMPARE(static_cast<TcpCable &>(link.cable()).connectionCount(), 0);
    QVERIFY(receivedLines(link).isEmpty());
    QVERIFY(outcome.out.isEmpty());
}

void HeadlessRunTest::heldUntilStop_data()
{
    // Programs that wait for STOP are refused unless --seconds presses it.
    QTest::addColumn<bool>("firstChecked");
    QTest::addColumn<QString>("dwell");
    QTest::addColumn<bool>("seconds");
    QTest::addColumn<bool>("refused");
    QTest::newRow("checked steps: played") << true << "0.20" << false << false;
    QTest::newRow("no step checked: refused") << false << "0.20" << false << true;
    QTest::newRow("no step checked, --seconds: played") << false << "0.20" << true << false;
    QTest::newRow("a 0 ms step: refused") << true << "0" << false << true;
    QTest::newRow("a 0 ms step, --seconds: played") << true << "0" << true << false;
}

void HeadlessRunTest::heldUntilStop()
{
    QFETCH(bool, firstChecked);
    QFETCH(QString, dwell);
    QFETCH(bool, seconds);
    QFETCH(bool, refused);
    QTemporaryDir dir;
    HeadlessRunOptions options;
    options.file = writeSteps(dir, {step(1, "110.00", dwell, firstChecked), step(2, "0.00", "0.20", false)});
    options.port.number = 1;
    if (seconds)
        options.seconds = 0.5;
    FakePlatform fake;
    HeadlessRun run(options, fake.port, fake.timer);
    QCOMPARE(run.prepare(), refused ? std::optional<int>(HeadlessRun::Refused) : std::nullopt);
    QVERIFY(fake.port.commands().isEmpty());
}

void HeadlessRunTest::runWaitsForRemotesCommand_data()
{
    QTest::addColumn<int>("pendingMs"); // what Remote's command still needs on the line
    QTest::newRow("idle line: RUN at once") << 0;
    QTest::newRow("Remote still on the line") << 40;
}

void HeadlessRunTest::runWaitsForRemotesCommand()
{
    QFETCH(int, pendingMs);
    QTemporaryDir dir;
    HeadlessRunOptions options;
    options.file = writeSteps(dir, {step(1, "110.00", "0.20")});
    options.port.number = 1;
    FakePlatform fake;
    fake.port.pendingMs = pendingMs;
    HeadlessRun run(options, fake.port, fake.timer);
    QCOMPARE(run.prepare(), std::nullopt);
    run.start();
    if (pendingMs > 0) {
        // RUN, and with it the first step's dwell, waits for the line.
        QTest::qWait(pendingMs / 2);
        QCOMPARE(fake.port.commands(), QStringList({":SYST:LOC ", ":SYST:REM "}));
        fake.port.pendingMs = 0;
    }
    QTRY_COMPARE(fake.port.commands().mid(2, 2), QStringList({":SOUR:TURN OFF", ":OUTP ON"}));
    QVERIFY(fake.timer.Enabled() && fake.timer.Interval() == 200);
}

void HeadlessRunTest::stepsWholeAtTheFarEnd_data()
{
    QTest::addColumn<QString>("from"); // the first line of the step's commands
    QTest::addColumn<int>("fromNth");  // its occurrence on the wire
    QTest::addColumn<QString>("to");   // the first line of the next step's
    QTest::addColumn<int>("toNth");
    // The first step's commands begin with RUN's own two.
    QTest::newRow("first step") << ":SOUR:TURN OFF" << 0 << ":SOUR:FREQ 50.00" << 1;
    QTest::newRow("third step") << ":SOUR:FREQ 50.00" << 2 << ":SOUR:FREQ 50.00" << 3;
}

void HeadlessRunTest::stepsWholeAtTheFarEnd()
{
#ifndef Q_OS_UNIX
    QSKIP("pseudo-terminals are POSIX only");
#else
    QFETCH(QString, from);
    QFETCH(int, fromNth);
    QFETCH(QString, to);
    QFETCH(int, toNth);
    QTemporaryDir dir;
    const QString file = writeSteps(dir, {step(1, "101.00", "0.20"), step(2, "102.00", "0.20"),
                                          step(3, "103.00", "0.20"), step(4, "104.00", "0.20")});
    QElapsedTimer since;
    since.start();
    SourceLink link([&] { return static_cast<double>(since.nsecsElapsed()) / 1e6; }, Cable::Pty);
    link.setLive(true); // read at the line's rate
    const Outcome outcome = run({file, "--port", link.farEndPath()}, &link);
    QCOMPARE(outcome.exitCode, 0);

    // When each line began to arrive: a step lasts, at the instrument, from
    // the start of its commands on the line to the start of the next step's.
    const double charMs = 1000.0 / 960.0;
    QHash<QString, QList<double>> starts; // per line text, in order
    for (const ReceivedLine &line : link.model().transcript())
        starts[QString::fromLatin1(line.text)] << line.ms - double(line.text.size() + 1) * charMs;
    const double heldMs = starts.value(to).value(toNth) - starts.value(from).value(fromNth);
    // Not shorter than its dwell, give or take the reader's timing; a busy machine may make it longer.
    QVERIFY2(heldMs >= 197.0 && heldMs < 400.0, qPrintable(QString::number(heldMs)));
#endif
}

void HeadlessRunTest::recordTrouble_summarySaysSo_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QString>("summary"); // the record's line
    QTest::addColumn<QString>("why");
    QTest::newRow("good disk") << ""
                               << "Record: "
                               << "";
    QTest::newRow("disk fills up") << "limit"
                                   << "Record incomplete: "
                                   << "File too large)";
    QTest::newRow("directory removed") << "remove"
                                       << "Record incomplete: "
                                       << "was removed before the run's end)";
}

void HeadlessRunTest::recordTrouble_summarySaysSo()
{
#ifndef Q_OS_UNIX
    QSKIP("file size limits are POSIX");
#else
    QFETCH(QString, trouble);
    QFETCH(QString, summary);
    QFETCH(QString, why);
    QTemporaryDir dir;
    const QString file = writeSteps(dir, {step(1, "110.00", "0.15"), step(2, "120.00", "0.15")});
    const QString records = dir.filePath(QStringLiteral("records"));
    QElapsedTimer since;
    since.start();
    SourceLink link([&] { return static_cast<double>(since.nsecsElapsed()) / 1e6; }, Cable::Pty);
    link.setLive(true);
    if (trouble == QLatin1String("limit")) {
        // The record may grow to 200 bytes: its fourth row is cut.
        m_inChild = [] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 200;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        };
    }
    const Outcome outcome = run({file, "--port", link.farEndPath(), "--record", records}, &link,
                                [&](QProcess &) {
                                    if (trouble == QLatin1String("remove")) {
                                        QTRY_VERIFY_WITH_TIMEOUT(receivedLines(link).size() >= 6, 10000);
                                        QVERIFY(QDir(records).removeRecursively());
                                    }
                                });
    m_inChild = nullptr;
    // The run decides the exit status; the record does not.
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(receivedLines(link).size(), 2 + 2 + 6 + 4 + 2 + 3);
    const QString line = outcome.out.section(QLatin1Char('\n'), 3, 3);
    QVERIFY2(line.startsWith(summary + QDir::toNativeSeparators(records)), qPrintable(outcome.out));
    QVERIFY2(line.endsWith(why), qPrintable(outcome.out));
    QVERIFY(why.isEmpty() || outcome.err.contains(why.chopped(1)));
#endif
}

void HeadlessRunTest::farEndClosesMidRun_exitOne()
{
    QTemporaryDir dir;
    const QString file = writeSteps(dir, {step(1, "110.00", "0.15"), step(2, "120.00", "0.15")});
    QElapsedTimer since;
    since.start();
    SourceLink link([&] { return static_cast<double>(since.nsecsElapsed()) / 1e6; }, Cable::Tcp);
    link.setLive(true);
    auto &cable = static_cast<TcpCable &>(link.cable());
    const QString port = link.farEndPath();
    const Outcome outcome = run({file, "--mode", "continuous", "--port", port}, &link, [&](QProcess &) {
        QTRY_VERIFY_WITH_TIMEOUT(receivedLines(link).size() >= 14, 10000);
        cable.dropConnections();
    });
    QCOMPARE(outcome.exitCode, 1);
    // Said once, in the window's words; the close path then reconnects and
    // switches the output off.
    const QString message = port
                            + QStringLiteral(
                                " : not available. Change the CommPort property to another port.\n");
    QCOMPARE(outcome.err, message);
    QCOMPARE(receivedLines(link).mid(receivedLines(link).size() - 3),
             QStringList({":SOUR:TURN OFF", ":OUTP OFF", ":SYST:LOC "}));

    // Nothing listening: the port does not open, nothing is sent.
    const Outcome closed = run({file, "--port", "tcp://127.0.0.1:1"});
    QCOMPARE(closed.exitCode, 1);
    QVERIFY(closed.err.contains(QStringLiteral("tcp://127.0.0.1:1 : not available.")));
    // ...and then why, in the port's words.
    QVERIFY2(closed.err.endsWith(
                 QStringLiteral("not available. Change the CommPort property to another port.\n"
                                "quorra: tcp://127.0.0.1:1 could not be opened: connection refused\n")),
             qPrintable(closed.err));
}

void HeadlessRunTest::interrupt_offCommandsThen130()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX signals only");
#else
    QTemporaryDir dir;
    const QString file = writeSteps(dir, {step(1, "110.00", "0.15"), step(2, "120.00", "0.15")});
    QElapsedTimer since;
    since.start();
    SourceLink link([&] { return static_cast<double>(since.nsecsElapsed()) / 1e6; }, Cable::Pty);
    link.setLive(true);
    const Outcome outcome = run({file, "--mode", "continuous", "--port", link.farEndPath()}, &link,
                                [&](QProcess &process) {
                                    QTRY_VERIFY_WITH_TIMEOUT(receivedLines(link).size() >= 14, 10000);
                                    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
                                });
    QCOMPARE(outcome.exitCode, 128 + SIGINT);
    const QStringList wire = receivedLines(link);
    // No STOP: the window's close path alone, as on a signal to the window.
    QCOMPARE(wire.mid(wire.size() - 3), QStringList({":SOUR:TURN OFF", ":OUTP OFF", ":SYST:LOC "}));
    QVERIFY(wire.at(wire.size() - 4) != QStringLiteral(":OUTP OFF"));
#endif
}

#ifdef Q_OS_UNIX
namespace {
// The next connection, or -1 after timeoutMs (a test that fails must not hang).
int acceptWithin(int listener, int timeoutMs)
{
    pollfd p{listener, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0 ? ::accept(listener, nullptr, nullptr) : -1;
}

// What a connection carries until the program ends its side.
QByteArray readToEnd(int connection)
{
    QByteArray got;
    char buffer[512];
    for (ssize_t n = 0; (n = ::read(connection, buffer, sizeof buffer)) > 0;)
        got.append(buffer, n);
    return got;
}
} // namespace
#endif

void HeadlessRunTest::signalDuringConnect_endsAtOnce_data()
{
    QTest::addColumn<int>("signalNumber");
#ifdef Q_OS_UNIX
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
#endif
}

void HeadlessRunTest::signalDuringConnect_endsAtOnce()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX signals only");
#else
    QFETCH(int, signalNumber);
    // A server whose queue of connections is full answers no new one: the
    // program's connect waits, as for a host that does not answer.
    const UnansweringServer server;
    QVERIFY(server.isListening());
    QTemporaryDir dir;
    const QString file = writeSteps(dir, {step(1, "110.00", "0.15")});
    QElapsedTimer signalled;
    const Outcome outcome = runSignalled(file, server.port(), signalNumber, &signalled);
    const qint64 afterSignalMs = signalled.elapsed();
    // Nothing was under remote control: it ends as the signal asks, with no
    // message, and long before the connect would have timed out.
    QCOMPARE(outcome.exitCode, 128 + signalNumber);
    QCOMPARE(outcome.err, QString());
    QVERIFY2(afterSignalMs < 2000, QByteArray::number(afterSignalMs).constData());
#endif
}

void HeadlessRunTest::signalDuringStartupClose_noRemote()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX sockets and signals only");
#else
    quint16 port = 0;
    const int listener = listenOnLoopback(4, &port);
    QVERIFY(listener >= 0);
    QByteArray startupBytes, later;
    // Start-up's connection is read to its end and closed only 1.5 s after
    // it, so that the program's Local waits in its close; a second
    // connection would be the run's.
    std::thread server([&] {
        const int startup = acceptWithin(listener, 10000);
        startupBytes = readToEnd(startup);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ::close(startup);
        if (const int run = acceptWithin(listener, 3000); run >= 0) {
            later = readToEnd(run);
            ::close(run);
        }
    });
    QTemporaryDir dir;
    const QString file = writeSteps(dir, {step(1, "110.00", "0.15")});
    const Outcome outcome = runSignalled(file, port, SIGTERM);
    server.join();
    ::close(listener);
    QCOMPARE(outcome.exitCode, 128 + SIGTERM);
    QCOMPARE(startupBytes, QByteArray(":SYST:LOC \r"));
    QVERIFY2(later.isEmpty(), later.constData()); // no ":SYST:REM ", nothing of the run
#endif
}

void HeadlessRunTest::serverResetsMidRun_exitOneMessageOnce()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX sockets only");
#else
    quint16 port = 0;
    const int listener = listenOnLoopback(4, &port);
    QVERIFY(listener >= 0);
    QByteArray afterReset;
    // Start-up's connection, read to its end; the run's, reset once it has
    // carried a few steps; the close path's, read to its end.
    std::thread server([&] {
        char buffer[512];
        const int startup = acceptWithin(listener, 10000);
        readToEnd(startup);
        ::close(startup);
        const int run = acceptWithin(listener, 10000);
        for (qint64 got = 0; got < 300;) {
            const ssize_t n = ::read(run, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got += n;
        }
        const linger now{1, 0};
        ::setsockopt(run, SOL_SOCKET, SO_LINGER, &now, sizeof now);
        ::close(run);
        const int release = acceptWithin(listener, 10000);
        afterReset = readToEnd(release);
        ::close(release);
    });
    QTemporaryDir dir;
    const QString file = writeSteps(dir, {step(1, "110.00", "0.05"), step(2, "120.00", "0.05")});
    const QString target = QStringLiteral("tcp://127.0.0.1:%1").arg(port);
    const Outcome outcome = run({file, "--mode", "continuous", "--port", target});
    server.join();
    ::close(listener);
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.err,
             target + QStringLiteral(" : not available. Change the CommPort property to another port.\n"));
    QCOMPARE(afterReset, QByteArray(":SOUR:TURN OFF\r:OUTP OFF\r:SYST:LOC \r"));
#endif
}

void HeadlessRunTest::offCommandsUntaken_summarySaysSo_data()
{
    QTest::addColumn<bool>("reads");
    QTest::newRow("a server that reads") << true;
    QTest::newRow("a server that never reads") << false;
}

void HeadlessRunTest::offCommandsUntaken_summarySaysSo()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX sockets only");
#else
    QFETCH(bool, reads);
    quint16 port = 0;
    const int listener = listenOnLoopback(4, &port);
    QVERIFY(listener >= 0);
    // Start-up's connection read to its end; the run's read to its end, or
    // held without a read until the program has gone.
    std::atomic<bool> programGone{false};
    std::thread server([&] {
        const int startup = acceptWithin(listener, 10000);
        readToEnd(startup);
        ::close(startup);
        const int run = acceptWithin(listener, 10000);
        if (reads) {
            readToEnd(run);
        } else {
            while (!programGone)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::close(run);
    });
    QTemporaryDir dir;
    const QString file = writeSteps(dir, {step(1, "110.00", "0.05"), step(2, "120.00", "0.05")});
    const QString target = QStringLiteral("tcp://127.0.0.1:%1").arg(port);
    const Outcome outcome = run({file, "--mode", "continuous", "--seconds", "1", "--port", target});
    programGone = true;
    server.join();
    ::close(listener);
    const QString said = QStringLiteral("The off commands could not be delivered to ") + target
                         + QStringLiteral(": the output may still be on\n");
    QCOMPARE(outcome.exitCode, reads ? 0 : 1);
    QVERIFY2(outcome.out.startsWith(QStringLiteral("Steps played: ")), qPrintable(outcome.out));
    QCOMPARE(outcome.out.endsWith(said), !reads);
    QCOMPARE(outcome.err, QString());
#endif
}

QTEST_MAIN(HeadlessRunTest)
#include "test_headless_run.moc"
