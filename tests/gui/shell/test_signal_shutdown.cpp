// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Ending on a termination signal: the close path runs without an operator.
// The first group drives the handler on the fakes; the second sends real
// signals to a child process running the real program on a pseudo-terminal.
// A crash under remote operation still switches the output off.
#include "domain/files/StepFileFormat.h"
#include "domain/instrument/SerialLink.h"
#include "domain/ports/PortMap.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"
#include "support/PtyPair.h"
#include "support/WindowChild.h"

#include "gui/steps/frmDataSetting.h"
#include <QApplication>
#include <QFile>
#include <QProcess>

#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
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

using Kind = FakeSerialPort::Kind;

namespace {
QStringList recoveryFiles()
{
    return QDir::temp().entryList({QStringLiteral("quorra-recovery-*.log")});
}

const QStringList ShutdownCommands = {QStringLiteral(":SOUR:TURN OFF"), QStringLiteral(":OUTP OFF"),
                                      QStringLiteral(":SYST:LOC ")};

const QByteArray CrashBytes = "\r:SOUR:TURN OFF\r:OUTP OFF\r:SYST:LOC \r";

// The child: the real program with port 1 on the given pty, Remote chosen
// by a click when asked, and one step appended so the program is modified;
// then commands for as many bytes as asked are queued, and it says "ready".
int runChild(int argc, char **argv)
{
#ifdef Q_OS_UNIX
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
#endif
    const int queue = argc > 4 ? QByteArray(argv[4]).toInt() : 0;
    const bool remote = argc > 3 && QByteArray(argv[3]) == "remote";
    // Remote chosen a moment after "ready", so that a signal can come during its connect.
    const bool remoteLater = argc > 3 && QByteArray(argv[3]) == "remote-later";
    return runWindowChild(
        argc, argv, QString::fromLocal8Bit(argv[2]), [remote, remoteLater, queue](frmControl &window) {
            if (remoteLater)
                QTimer::singleShot(300, &window, [&window] { window.ui().optSystemMode_1->click(); });
            if (remote) {
                window.ui().optSystemMode_1->click();
                settle(window);
            }
            window.cmdDataAppend_Click();
            // The line's queue filled as a long step would fill it; the
            // session has no call for a bare command, so its link is
            // found among its parts, on its thread.
            for (int queued = 0; queued < queue; queued += 18)
                window.session().onSessionThread([&window] {
                    window.session().findChild<SerialLink *>()->send(QStringLiteral(":SOUR:VOLT 110.00"));
                });
        });
}
} // namespace

class SignalShutdownTest : public QObject
{
    Q_OBJECT
private slots:
    void remote_sendsTheThreeCommandsWithoutAQuestion();
    void local_sendsNothing();
    void whateverIsOpen_sendsTheOffCommandsAndKeepsTheProgram_data();
    void whateverIsOpen_sendsTheOffCommandsAndKeepsTheProgram();
    void modifiedProgram_isKeptInARecoveryFile();
    void portThatWillNotOpen_noMessageBoxNothingSent();
    void afterANormalClose_nothingIsSentAgain();
    void endOfSession_data();
    void endOfSession();
    void realSignal_data();
    void realSignal();
    void signalDuringRemotesConnect_endsAtOnce();
    void crashGuardFollowsRemote();
    void crash_data();
    void crash();
};

void SignalShutdownTest::remote_sendsTheThreeCommandsWithoutAQuestion()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->show();
    w->cmdDataAppend_Click(); // modified: a normal close would ask
    const QStringList before = recoveryFiles();
    w->closeOnSignal();
    for (const QString &name : recoveryFiles())
        if (!before.contains(name))
            QFile::remove(QDir::temp().filePath(name));
    QCOMPARE(fake.port.commands(), ShutdownCommands);
    QVERIFY(fake.messages.shown.isEmpty());
    QVERIFY(fake.files.calls.isEmpty());
    QVERIFY(!fake.port.PortOpen());
    QVERIFY(!fake.timer.Enabled());
    QVERIFY(!w->isVisible());
}

void SignalShutdownTest::whateverIsOpen_sendsTheOffCommandsAndKeepsTheProgram_data()
{
    QTest::addColumn<QString>("open"); // what is open when the signal comes
    QTest::newRow("nothing") << "nothing";
    QTest::newRow("the save question of a close") << "save question";
    QTest::newRow("Save As's dialog from the question") << "file dialog";
    QTest::newRow("a message box") << "message box";
    QTest::newRow("the step editor") << "step editor";
}

// The signal is taken while the box is "open", as the real box's event loop
// takes it.
void SignalShutdownTest::whateverIsOpen_sendsTheOffCommandsAndKeepsTheProgram()
{
    QFETCH(QString, open);
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->show();
    w->cmdDataAppend_Click(); // modified: a normal close asks
    fake.port.clearEvents();
    const QStringList before = recoveryFiles();
    frmControl *window = w.get();
    fake.messages.onShow = [&](const FakeMessageBox::Shown &) {
        if (open == "save question" || open == "message box")
            window->closeOnSignal();
    };
    if (open == "file dialog")
        fake.messages.answers = {MessageBox::Answer::Yes};
    fake.files.onShow = [&](const FakeFileDialog::Call &) { window->closeOnSignal(); };

    if (open == "nothing")
        w->closeOnSignal();
    else if (open == "save question" || open == "file dialog") {
        w->close();
        settle(*w);
    } else if (open == "message box") { // RUN's refusal
        w->ui().livData->steps().setSubItem(1, StepRecord::Output, QStringLiteral("banana"));
        w->cmdRunStop_Click();
        settle(*w);
        QCOMPARE(fake.messages.shown.size(), 1);
    } else {
        w->livData_DblClick();
        QVERIFY(w->dataSetting() && w->dataSetting()->isVisible());
        w->closeOnSignal();
        QVERIFY(!w->dataSetting() || w->dataSetting()->isHidden());
    }

    QStringList kept = recoveryFiles();
    for (const QString &name : before)
        kept.removeAll(name);
    for (const QString &name : kept)
        QFile::remove(QDir::temp().filePath(name));
    QCOMPARE(fake.port.commands(), ShutdownCommands);
    QCOMPARE(kept.size(), 1);
    if (open != "message box") // that box's caller goes on after it; the application then ends
        QVERIFY(!w->isVisible());
    fake.messages.onShow = nullptr;
    fake.files.onShow = nullptr;
}

void SignalShutdownTest::endOfSession_data()
{
    QTest::addColumn<bool>("mayAsk");   // the desktop lets the program ask
    QTest::addColumn<bool>("modified"); // the program has unsaved changes
    QTest::addColumn<QList<MessageBox::Answer>>("answers");
    QTest::addColumn<bool>("goesOn");   // the session may end
    QTest::addColumn<int>("questions"); // save questions shown
    QTest::addColumn<bool>("recovery"); // a recovery file was written
    using A = MessageBox::Answer;
    QTest::newRow("asked, No: released, asked once") << true << true << QList<A>{A::No} << true << 1 << false;
    QTest::newRow("asked, Cancel: the end is cancelled, nothing sent")
        << true << true << QList<A>{A::Cancel} << false << 1 << false;
    QTest::newRow("nothing to save: released without a question")
        << true << false << QList<A>{} << true << 0 << false;
    QTest::newRow("no asking: released, the program kept in a recovery file")
        << false << true << QList<A>{} << true << 0 << true;
}

// Log-off or shut-down, as the desktop's end-of-session request reaches the window.
void SignalShutdownTest::endOfSession()
{
    QFETCH(bool, mayAsk);
    QFETCH(bool, modified);
    QFETCH(QList<MessageBox::Answer>, answers);
    QFETCH(bool, goesOn);
    QFETCH(int, questions);
    QFETCH(bool, recovery);
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->show();
    if (modified)
        w->cmdDataAppend_Click();
    fake.port.clearEvents();
    fake.messages.answers = {answers.begin(), answers.end()};
    const QStringList before = recoveryFiles();
    QCOMPARE(w->endOfSession(mayAsk), goesOn);
    settle(*w); // a close that goes on waits for the release
    QStringList kept = recoveryFiles();
    for (const QString &name : before)
        kept.removeAll(name);
    for (const QString &name : kept)
        QFile::remove(QDir::temp().filePath(name));
    QCOMPARE(fake.messages.shown.size(), questions);
    QCOMPARE(kept.size(), recovery ? 1 : 0);
    QCOMPARE(fake.port.commands(), goesOn ? ShutdownCommands : QStringList());
    QCOMPARE(w->isVisible(), !goesOn);
    // A quit after the end sends nothing again.
    fake.port.clearEvents();
    if (goesOn) {
        QVERIFY(w->endOfSession(false));
        QCOMPARE(fake.port.commands(), QStringList());
    }
}

void SignalShutdownTest::local_sendsNothing()
{
    FakePlatform fake;
    auto w = startedWindow(fake, false);
    w->show();
    w->closeOnSignal();
    QVERIFY(fake.port.events.isEmpty());
    QVERIFY(fake.messages.shown.isEmpty());
    QVERIFY(!w->isVisible());
}

void SignalShutdownTest::modifiedProgram_isKeptInARecoveryFile()
{
    FakePlatform fake;
    auto w = startedWindow(fake, false);
    w->cmdDataAppend_Click();
    w->cmdDataAppend_Click();
    const QStringList before = recoveryFiles();
    w->closeOnSignal();
    QStringList after = recoveryFiles();
    for (const QString &name : before)
        after.removeAll(name);
    QCOMPARE(after.size(), 1);
    QFile file(QDir::temp().filePath(after.first()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto rows = StepFileFormat::parse(file.readAll());
    file.remove();
    QCOMPARE(rows.size(), size_t(2));
    QCOMPARE(rows[0].label, QStringLiteral("Step1"));
    QCOMPARE(rows[1].label, QStringLiteral("Step2"));
}

void SignalShutdownTest::portThatWillNotOpen_noMessageBoxNothingSent()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    fake.port.setPortOpen(false);
    fake.port.openablePorts = {};
    fake.port.clearEvents();
    w->closeOnSignal();
    QVERIFY(fake.messages.shown.isEmpty());
    QCOMPARE(fake.port.count(Kind::Write), 0);
}

void SignalShutdownTest::afterANormalClose_nothingIsSentAgain()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->show();
    QVERIFY(closeAndSettle(*w));
    QCOMPARE(fake.port.commands(), ShutdownCommands);
    fake.port.clearEvents();
    w->closeOnSignal();
    QVERIFY(fake.port.events.isEmpty());
}

void SignalShutdownTest::realSignal_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("remote");
#ifdef Q_OS_UNIX
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        const QByteArray name = QByteArray(strsignal(s));
        QTest::newRow(("remote, " + name).constData()) << s << true;
        QTest::newRow(("local, " + name).constData()) << s << false;
    }
#endif
}

void SignalShutdownTest::realSignal()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX signals only");
#else
    QFETCH(int, signalNumber);
    QFETCH(bool, remote);

    PtyPair pty;
    QVERIFY(pty.open());
    QByteArray received;
    auto drain = [&](int waitMs) { received += pty.read(-1, waitMs); };

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), pty.deviceName(),
                 remote ? QStringLiteral("remote") : QStringLiteral("local")});
    QVERIFY(child.waitForStarted());
    QDeadlineTimer ready(20000);
    while (!child.canReadLine() && !ready.hasExpired()) {
        child.waitForReadyRead(50);
        drain(0);
    }
    QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
    drain(200);
    const QByteArray startup = remote ? QByteArray(":SYST:LOC \r:SYST:REM \r") : QByteArray(":SYST:LOC \r");
    QCOMPARE(received, startup);
    received.clear();

    ::kill(static_cast<pid_t>(child.processId()), signalNumber);
    QDeadlineTimer finished(20000);
    while (child.state() != QProcess::NotRunning && !finished.hasExpired()) {
        child.waitForFinished(20);
        drain(0);
    }
    drain(200);
    QCOMPARE(child.state(), QProcess::NotRunning);
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 128 + signalNumber);
    QCOMPARE(received, remote ? QByteArray(":SOUR:TURN OFF\r:OUTP OFF\r:SYST:LOC \r") : QByteArray());

    // The appended step was not lost: it is in the recovery file named on stderr.
    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
    const auto match = QRegularExpression(QStringLiteral("kept in (\\S+)")).match(errors);
    QVERIFY2(match.hasMatch(), qPrintable(errors));
    QFile recovery(match.captured(1));
    QVERIFY(recovery.open(QIODevice::ReadOnly));
    QCOMPARE(StepFileFormat::parse(recovery.readAll()).size(), size_t(1));
    recovery.remove();
#endif
}

void SignalShutdownTest::crashGuardFollowsRemote()
{
    FakePlatform fake;
    auto w = startedWindow(fake, false);
    QVERIFY(fake.crash.bytes.isEmpty());
    w->ui().optSystemMode_1->click();
    settle(*w);
    QCOMPARE(fake.crash.bytes, CrashBytes);
    w->ui().optSystemMode_0->click();
    settle(*w);
    QVERIFY(fake.crash.bytes.isEmpty());
    w->ui().optSystemMode_1->click();
    settle(*w);
    QVERIFY(closeAndSettle(*w)); // the instrument is back in local operation
    QVERIFY(fake.crash.bytes.isEmpty());
}

void SignalShutdownTest::crash_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<int>("queue"); // bytes of commands the far end has not read
#ifdef Q_OS_UNIX
    for (int s : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        QTest::newRow(("remote, " + QByteArray(strsignal(s))).constData()) << s << true << 0;
    QTest::newRow("remote, 20 kB queued") << int(SIGSEGV) << true << 20000;
    QTest::newRow("local") << int(SIGSEGV) << false << 0;
#endif
}

void SignalShutdownTest::crash()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX signals only");
#else
    QFETCH(int, signalNumber);
    QFETCH(bool, remote);
    QFETCH(int, queue);
    PtyPair pty;
    QVERIFY(pty.open());
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), pty.deviceName(),
                 remote ? QStringLiteral("remote") : QStringLiteral("local"), QString::number(queue)});
    QDeadlineTimer ready(20000);
    while (!child.canReadLine() && !ready.hasExpired())
        child.waitForReadyRead(50);
    QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
    // Without a queue the far end takes in the start-up's commands first;
    // a queue is left waiting in the driver.
    const QByteArray startup = remote ? ":SYST:LOC \r:SYST:REM \r" : ":SYST:LOC \r";
    QByteArray received = queue == 0 ? pty.read(startup.size(), 10000) : QByteArray();

    ::kill(static_cast<pid_t>(child.processId()), signalNumber);
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QCOMPARE(child.exitCode(), signalNumber);
    QDeadlineTimer arrived(10000);
    do
        received += pty.read(-1, remote ? 50 : 300);
    while (remote && !received.endsWith(CrashBytes) && !arrived.hasExpired());
    if (queue == 0) {
        QCOMPARE(received, startup + (remote ? CrashBytes : QByteArray()));
        return;
    }
    // The queue is dropped but for what had got through; the leading CR
    // ends a command cut short.
    QVERIFY2(received.endsWith(CrashBytes), received.right(80).constData());
    const QByteArray kept = received.chopped(CrashBytes.size());
    QVERIFY((startup + QByteArray(":SOUR:VOLT 110.00\r").repeated(queue / 18 + 1)).startsWith(kept));
    QVERIFY2(kept.size() < queue / 2, QByteArray::number(kept.size()).constData());
#endif
}

void SignalShutdownTest::signalDuringRemotesConnect_endsAtOnce()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX signals only");
#else
    // A serial server that serves start-up's two connections (the port
    // probe and Local), then accepts no more and lets its queue fill:
    // Remote's connect waits, as for a host that does not answer.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&a), size) == 0 && ::listen(listener, 0) == 0);
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&a), &size);
    std::vector<int> fillers;
    std::thread server([&] {
        for (int served = 0; served < 2; ++served) {
            pollfd p{listener, POLLIN, 0};
            if (::poll(&p, 1, 10000) <= 0)
                return;
            const int fd = ::accept(listener, nullptr, nullptr);
            char sink[256];
            while (::read(fd, sink, sizeof sink) > 0) {
            }
            ::close(fd);
        }
        for (int i = 0; i < 2; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(fd, reinterpret_cast<const sockaddr *>(&a), sizeof a);
            fillers.push_back(fd);
        }
    });
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), QStringLiteral("tcp://127.0.0.1:%1").arg(ntohs(a.sin_port)),
                 QStringLiteral("remote-later")});
    QVERIFY(child.waitForStarted());
    QDeadlineTimer ready(20000);
    while (!child.canReadLine() && !ready.hasExpired())
        child.waitForReadyRead(50);
    QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
    QTest::qWait(800); // Remote's connect is under way
    QElapsedTimer since;
    since.start();
    ::kill(static_cast<pid_t>(child.processId()), SIGTERM);
    QVERIFY(child.waitForFinished(10000));
    const qint64 endedMs = since.elapsed();
    server.join();
    for (int fd : fillers)
        ::close(fd);
    ::close(listener);
    // No "not available" box held it up, and it ended long before the
    // connect would have given up.
    QVERIFY2(child.exitStatus() == QProcess::NormalExit,
             qPrintable(QStringLiteral("signal %1: %2")
                            .arg(child.exitCode())
                            .arg(QString::fromLocal8Bit(child.readAllStandardError()))));
    QCOMPARE(child.exitCode(), 128 + SIGTERM);
    QVERIFY2(endedMs < 2000, QByteArray::number(endedMs).constData());
#endif
}

int main(int argc, char **argv)
{
    if (argc > 2 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv);
    QApplication app(argc, argv);
    SignalShutdownTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_signal_shutdown.moc"
