// A crash under remote operation still switches the output off: the window
// arms the crash guard while Remote is selected (on the fakes), and a child
// process running the real program on a pseudo-terminal is crashed for real.
#include "platform/PortNames.h"
#include "platform/QtPlatform.h"
#include "shell/Application.h"
#include "shell/frmControl.h"
#include "support/FakePlatform.h"
#include "support/PtyPair.h"

#include <QApplication>
#include <QProcess>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {
const QByteArray CrashBytes = "\r:SOUR:TURN OFF\r:OUTP OFF\r:SYST:LOC \r";

#ifdef Q_OS_UNIX
void crash(const QByteArray &how)
{
    if (how == "segv") {
        int *volatile nowhere = nullptr;
        *nowhere = 1;
    } else if (how == "abort") {
        std::abort();
    }
    ::raise(how == "bus" ? SIGBUS : how == "fpe" ? SIGFPE : SIGILL);
}

// The child: the real program with port 1 on the given pty, Remote chosen
// by a click when asked. It says "ready", then waits for a line on its
// standard input naming how to crash and how many bytes of commands to
// queue first, and crashes.
int runChild(int argc, char **argv)
{
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    setSerialDeviceOverride(1, QString::fromLocal8Bit(argv[2]));
    setSerialDeviceOverride(2, QStringLiteral("/nonexistent/quorra-port"));
    const bool remote = QByteArray(argv[3]) == "remote";
    QApplication app(argc, argv);
    QtPlatform platform;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QTimer::singleShot(0, &app, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *window = qobject_cast<frmControl *>(w);
            if (!window)
                continue;
            if (remote)
                window->optSystemMode_1->click();
            QObject::connect(&input, &QSocketNotifier::activated, window, [window] {
                char line[32] = {};
                const ssize_t n = ::read(STDIN_FILENO, line, sizeof line - 1);
                const QList<QByteArray> words = QByteArray(line, int(std::max<ssize_t>(n, 0))).split(' ');
                for (int queued = 0; queued < words.value(1).trimmed().toInt(); queued += 18)
                    window->SendCommand(QStringLiteral(":SOUR:VOLT 110.00"));
                crash(words.value(0).trimmed());
            });
            std::fprintf(stdout, "ready\n");
            std::fflush(stdout);
        }
    });
    return runProgram(app, platform.bundle());
}
#endif
} // namespace

class CrashSignalsTest : public QObject
{
    Q_OBJECT
private slots:
    void guardFollowsRemote();
    void realCrash_data();
    void realCrash();
};

void CrashSignalsTest::guardFollowsRemote()
{
    FakePlatform fake;
    auto w = startedWindow(fake, false);
    w->show();
    QVERIFY(fake.crash.bytes.isEmpty());
    w->optSystemMode_1->click();
    QCOMPARE(fake.crash.bytes, CrashBytes);
    w->optSystemMode_0->click();
    QVERIFY(fake.crash.bytes.isEmpty());
    w->optSystemMode_1->click();
    QVERIFY(w->close()); // the instrument is released: a later crash sends nothing
    QCOMPARE(fake.port.commands().mid(3),
             (QStringList{QStringLiteral(":SOUR:TURN OFF"), QStringLiteral(":OUTP OFF"),
                          QStringLiteral(":SYST:LOC ")}));
    QVERIFY(fake.crash.bytes.isEmpty());
}

void CrashSignalsTest::realCrash_data()
{
    QTest::addColumn<QByteArray>("how");
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<int>("queue");
#ifdef Q_OS_UNIX
    QTest::newRow("remote, a bad pointer") << QByteArray("segv") << int(SIGSEGV) << true << 0;
    QTest::newRow("remote, abort") << QByteArray("abort") << int(SIGABRT) << true << 0;
    QTest::newRow("remote, SIGBUS") << QByteArray("bus") << int(SIGBUS) << true << 0;
    QTest::newRow("remote, SIGFPE") << QByteArray("fpe") << int(SIGFPE) << true << 0;
    QTest::newRow("remote, SIGILL") << QByteArray("ill") << int(SIGILL) << true << 0;
    QTest::newRow("local, a bad pointer") << QByteArray("segv") << int(SIGSEGV) << false << 0;
    QTest::newRow("remote, 20 kB queued") << QByteArray("segv") << int(SIGSEGV) << true << 20000;
#endif
}

void CrashSignalsTest::realCrash()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX signals only");
#else
    QFETCH(QByteArray, how);
    QFETCH(int, signalNumber);
    QFETCH(bool, remote);
    QFETCH(int, queue);

    PtyPair pty;
    QVERIFY(pty.open());
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), pty.deviceName(),
                 remote ? QStringLiteral("remote") : QStringLiteral("local")});
    QVERIFY(child.waitForStarted());
    QByteArray received;
    QDeadlineTimer ready(20000);
    while (!child.canReadLine() && !ready.hasExpired()) {
        child.waitForReadyRead(50);
        received += pty.read(-1, 0);
    }
    QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
    received += pty.read(-1, 200);
    QCOMPARE(received, remote ? QByteArray(":SYST:LOC \r:SYST:REM \r") : QByteArray(":SYST:LOC \r"));

    // The far end reads nothing until the child is gone: commands queued
    // just before the crash are still waiting in the driver.
    child.write(how + ' ' + QByteArray::number(queue) + '\n');
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QCOMPARE(child.exitCode(), signalNumber);
    received = pty.read(-1, 300);
    if (queue == 0 || !remote) {
        QCOMPARE(received, remote ? CrashBytes : QByteArray());
        return;
    }
    // What had reached the far end's side of the driver stays; the rest of
    // the queue goes, and the leading CR ends a command cut short.
    QVERIFY2(received.endsWith(CrashBytes), received.right(80).constData());
    const QByteArray kept = received.chopped(CrashBytes.size());
    QVERIFY(QByteArray(":SOUR:VOLT 110.00\r").repeated(queue / 18 + 1).startsWith(kept));
    QVERIFY2(kept.size() < queue / 2, QByteArray::number(kept.size()).constData());
#endif
}

int main(int argc, char **argv)
{
#ifdef Q_OS_UNIX
    if (argc > 3 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv);
#endif
    QApplication app(argc, argv);
    CrashSignalsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_crash_signals.moc"
