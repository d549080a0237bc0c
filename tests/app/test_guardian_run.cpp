// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// quorra --run ended by what it cannot see (SIGKILL, of itself or of its
// whole process group) against the virtual source on a pseudo-terminal read
// at the line's rate and on loopback TCP, and against a server that stops
// reading: the guardian puts the off commands on the line, whole. A run
// that ends as it should leaves nothing extra on the wire and no guardian
// behind; Ctrl+Z switches the output off before the program suspends.
#include "domain/files/StepFileFormat.h"
#include "domain/instrument/Commands.h"
#include "domain/steps/StepRecord.h"
#include "sim/source/SourceLink.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

using Cable = SourceLink::Cable;
Q_DECLARE_METATYPE(SourceLink::Cable)

namespace {
const QStringList OffCommands{":SOUR:TURN OFF", ":OUTP OFF", ":SYST:LOC "};

QString writeSteps(const QTemporaryDir &dir)
{
    std::vector<StepRecord> rows;
    for (int i = 1; i <= 4; ++i) {
        StepRecord row;
        row.checked = true;
        row.label = QStringLiteral("Step%1").arg(i);
        row.values = {"On", "Auto", QStringLiteral("%1.00").arg(100 + i), "50.00", "0.00", "360.00", "0.15"};
        rows.push_back(row);
    }
    const QString path = dir.filePath(QStringLiteral("steps.log"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(StepFileFormat::format(rows)) < 0)
        return {};
    return path;
}

// The virtual source at the far end, live, its clock running from its making.
struct LiveSource
{
    explicit LiveSource(Cable cable)
        : link([this] { return static_cast<double>(since.nsecsElapsed()) / 1e6; }, cable)
    {
        link.setLive(true);
    }
    QElapsedTimer since = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    SourceLink link;
};

QStringList receivedLines(const SourceLink &link)
{
    QStringList lines;
    for (const ReceivedLine &line : link.model().transcript())
        lines << QString::fromLatin1(line.text);
    return lines;
}

// The guardians started for the program with this process id.
QList<qint64> guardiansOf(qint64 pid)
{
    QList<qint64> found;
    const QByteArray mark = QByteArray("quorra-guard\0--for\0", 19) + QByteArray::number(pid) + '\0';
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 candidate = entry.toLongLong(&number);
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (number && cmdline.open(QIODevice::ReadOnly) && cmdline.readAll() == mark)
            found << candidate;
    }
    return found;
}

char processState(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return '?';
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && close + 2 < text.size() ? text.at(close + 2) : '?';
}

#ifdef Q_OS_UNIX
int listenOnLoopback(quint16 *port, int receiveBuffer)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    // Set before listening: what the accepted connections get.
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&a), size) != 0 || ::listen(fd, 4) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &size) != 0)
        return -1;
    *port = ntohs(a.sin_port);
    return fd;
}

int acceptWithin(int listener, int timeoutMs)
{
    pollfd p{listener, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0 ? ::accept(listener, nullptr, nullptr) : -1;
}
#endif

enum class Kill { Program, ProcessGroup };
} // namespace
Q_DECLARE_METATYPE(Kill)

class GuardianRunTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_config.isValid()); }
    void killed_offCommandsWhole_data();
    void killed_offCommandsWhole();
    void killedWhileStalled_offCommandsOnceReadAgain();
    void normalEnd_nothingExtraNoGuardianLeft_data();
    void normalEnd_nothingExtraNoGuardianLeft();
    void ctrlZ_outputOffBeforeSuspending();

private:
    void start(QProcess &process, const QStringList &arguments, bool ownGroup = false);

    QTemporaryDir m_config;
};

void GuardianRunTest::start(QProcess &process, const QStringList &arguments, bool ownGroup)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
#ifdef Q_OS_UNIX
    if (ownGroup)
        process.setChildProcessModifier([] { ::setpgid(0, 0); });
#else
    Q_UNUSED(ownGroup);
#endif
    process.start(QStringLiteral(QUORRA_EXECUTABLE), QStringList{QStringLiteral("--run")} + arguments);
}

void GuardianRunTest::killed_offCommandsWhole_data()
{
    QTest::addColumn<Cable>("cable");
    QTest::addColumn<Kill>("kill");
    QTest::newRow("pty at 960 B/s, SIGKILL") << Cable::Pty << Kill::Program;
    QTest::newRow("pty at 960 B/s, SIGKILL to the process group") << Cable::Pty << Kill::ProcessGroup;
    QTest::newRow("tcp, SIGKILL") << Cable::Tcp << Kill::Program;
    QTest::newRow("tcp, SIGKILL to the process group") << Cable::Tcp << Kill::ProcessGroup;
}

void GuardianRunTest::killed_offCommandsWhole()
{
#ifndef Q_OS_UNIX
    QSKIP("the guardian is POSIX only");
#else
    QFETCH(Cable, cable);
    QFETCH(Kill, kill);
    QTemporaryDir dir;
    const QString file = writeSteps(dir);
    LiveSource source(cable);
    SourceLink &link = source.link;
    QVERIFY2(link.isOpen(), qPrintable(link.errorText()));
    QProcess process;
    start(process, {file, "--mode", "continuous", "--port", link.farEndPath()}, kill == Kill::ProcessGroup);
    QVERIFY(process.waitForStarted());
    const qint64 pid = process.processId();
    QTRY_VERIFY_WITH_TIMEOUT(receivedLines(link).size() >= 14, 10000);
    QCOMPARE(guardiansOf(pid).size(), 1);
    const qint64 guardian = guardiansOf(pid).constFirst();
    QVERIFY(link.model().state().output && link.model().state().relay);
    ::kill(static_cast<pid_t>(kill == Kill::ProcessGroup ? -pid : pid), SIGKILL);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    // The guardian outlives the program (and its group), does its work and ends.
    QTRY_VERIFY_WITH_TIMEOUT(QByteArray("?Z").contains(processState(guardian)), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(receivedLines(link).mid(receivedLines(link).size() - 3) == OffCommands, 5000);
    QTest::qWait(100);
    link.finish();
    const QStringList wire = receivedLines(link);
    QCOMPARE(wire.mid(wire.size() - 3), OffCommands);
    QVERIFY(!link.model().state().output);
    QVERIFY(!link.model().state().relay);
    QCOMPARE(process.readAllStandardError(), QByteArray());
#endif
}

void GuardianRunTest::killedWhileStalled_offCommandsOnceReadAgain()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX sockets only");
#else
    // A server with a small window that stops reading mid-run: the program
    // is killed while its commands queue; once the server reads again, the
    // off commands arrive after everything else, whole.
    quint16 port = 0;
    const int listener = listenOnLoopback(&port, 1024);
    QVERIFY(listener >= 0);
    std::atomic<bool> stalled{false}, readAgain{false};
    QByteArray run;
    std::thread server([&] {
        char buffer[256];
        const int startup = acceptWithin(listener, 10000);
        while (::read(startup, buffer, sizeof buffer) > 0) {
        }
        ::close(startup);
        const int connection = acceptWithin(listener, 10000);
        for (ssize_t n; run.size() < 400 && (n = ::read(connection, buffer, sizeof buffer)) > 0;)
            run.append(buffer, n);
        stalled = true;
        while (!readAgain)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        for (ssize_t n; (n = ::read(connection, buffer, sizeof buffer)) > 0;)
            run.append(buffer, n);
        ::close(connection);
    });
    QTemporaryDir dir;
    const QString file = writeSteps(dir);
    QProcess process;
    start(process, {file, "--mode", "continuous", "--port", QStringLiteral("tcp://127.0.0.1:%1").arg(port)});
    QVERIFY(process.waitForStarted());
    const qint64 pid = process.processId();
    QTRY_VERIFY_WITH_TIMEOUT(stalled.load(), 10000);
    QTest::qWait(4000); // the program's commands fill the server's window
    const QList<qint64> guardians = guardiansOf(pid);
    QCOMPARE(guardians.size(), 1);
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    QVERIFY(process.waitForFinished(5000));
    // Longer than the hold and the wait for the server's close: it waits
    // for the server to take the off commands.
    QTest::qWait(1500);
    QCOMPARE(processState(guardians.constFirst()), 'S');
    readAgain = true;
    server.join();
    ::close(listener);
    QTRY_VERIFY_WITH_TIMEOUT(QByteArray("?Z").contains(processState(guardians.constFirst())), 10000);
    QVERIFY2(run.endsWith(Command::crashRelease()), run.right(80).constData());
    QCOMPARE(run.count(":SYST:LOC "), 1);
#endif
}

void GuardianRunTest::normalEnd_nothingExtraNoGuardianLeft_data()
{
    QTest::addColumn<Cable>("cable");
    QTest::newRow("pty") << Cable::Pty;
    QTest::newRow("tcp") << Cable::Tcp;
}

void GuardianRunTest::normalEnd_nothingExtraNoGuardianLeft()
{
#ifndef Q_OS_UNIX
    QSKIP("the guardian is POSIX only");
#else
    QFETCH(Cable, cable);
    QTemporaryDir dir;
    const QString file = writeSteps(dir);
    LiveSource source(cable);
    SourceLink &link = source.link;
    QVERIFY2(link.isOpen(), qPrintable(link.errorText()));
    QProcess process;
    start(process, {file, "--port", link.farEndPath()});
    QVERIFY(process.waitForStarted());
    const qint64 pid = process.processId();
    QTRY_VERIFY_WITH_TIMEOUT(!guardiansOf(pid).isEmpty() || process.state() == QProcess::NotRunning, 10000);
    // The source reads and closes in this event loop.
    QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 20000);
    const QByteArray said = process.readAllStandardError() + process.readAllStandardOutput();
    QVERIFY2(process.exitCode() == 0, said.constData());
    QVERIFY2(!said.contains("quorra:"), said.constData());
    QVERIFY(guardiansOf(pid).isEmpty()); // disarmed and reaped by the program
    QTest::qWait(300);
    link.finish();
    const QStringList wire = receivedLines(link);
    // Start-up's Local, Remote, RUN, four steps, the end and the close path: no more.
    QCOMPARE(wire.count(QStringLiteral(":SYST:LOC ")), 2);
    QCOMPARE(wire.size(), 2 + 2 + 6 + 3 * 4 + 2 + 3);
    QCOMPARE(wire.mid(wire.size() - 3), OffCommands);
#endif
}

void GuardianRunTest::ctrlZ_outputOffBeforeSuspending()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX job control only");
#else
    QTemporaryDir dir;
    const QString file = writeSteps(dir);
    LiveSource source(Cable::Pty);
    SourceLink &link = source.link;
    QProcess process;
    // A process group of its own, as a shell's job has: the system does
    // not stop a process of an orphaned group (such as a test runner's).
    start(process, {file, "--mode", "continuous", "--port", link.farEndPath()}, true);
    QVERIFY(process.waitForStarted());
    const qint64 pid = process.processId();
    QTRY_VERIFY_WITH_TIMEOUT(receivedLines(link).size() >= 14, 10000);
    ::kill(static_cast<pid_t>(pid), SIGTSTP);
    QTRY_COMPARE_WITH_TIMEOUT(processState(pid), 'T', 5000);
    // Suspended with the output off (STOP's two commands), still under remote control.
    QTRY_VERIFY_WITH_TIMEOUT(!link.model().state().output && !link.model().state().relay, 2000);
    const QStringList suspended = receivedLines(link);
    QCOMPARE(suspended.mid(suspended.size() - 2), QStringList({":SOUR:TURN OFF", ":OUTP OFF"}));
    QCOMPARE(guardiansOf(pid).size(), 1);
    ::kill(static_cast<pid_t>(pid), SIGCONT);
    QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 10000);
    QCOMPARE(process.exitCode(), 128 + SIGTSTP);
    QTest::qWait(300);
    link.finish();
    const QStringList wire = receivedLines(link);
    QCOMPARE(wire.mid(suspended.size()), OffCommands); // then the close path, as after STOP
    QVERIFY(guardiansOf(pid).isEmpty());
#endif
}

QTEST_MAIN(GuardianRunTest)
#include "test_guardian_run.moc"
