// Ending on a termination signal: the close path runs without an operator.
// The first group drives the handler on the fakes; the second sends real
// signals to a child process running the real program on a pseudo-terminal.
#include "files/StepFileFormat.h"
#include "platform/PortNames.h"
#include "platform/QtPlatform.h"
#include "shell/Application.h"
#include "shell/frmControl.h"
#include "steps/StepListView.h"
#include "support/FakePlatform.h"
#include "support/PtyPair.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

using Kind = FakeSerialPort::Kind;

namespace {
QStringList recoveryFiles()
{
    return QDir::temp().entryList({QStringLiteral("quorra-recovery-*.log")});
}

const QStringList ShutdownCommands = {QStringLiteral(":SOUR:TURN OFF"), QStringLiteral(":OUTP OFF"),
                                      QStringLiteral(":SYST:LOC ")};

// The child: the real program with port 1 on the given pty, Remote chosen
// by a click when asked, and one step appended so the program is modified.
int runChild(int argc, char **argv)
{
    setSerialDeviceOverride(1, QString::fromLocal8Bit(argv[2]));
    setSerialDeviceOverride(2, QStringLiteral("/nonexistent/quorra-port"));
    const bool remote = argc > 3 && QByteArray(argv[3]) == "remote";
    QApplication app(argc, argv);
    QtPlatform platform;
    QTimer::singleShot(0, &app, [remote] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<frmControl *>(w)) {
                if (remote)
                    ui(*window).optSystemMode_1->click();
                window->cmdDataAppend_Click();
                std::fprintf(stdout, "ready\n");
                std::fflush(stdout);
            }
        }
    });
    return runProgram(app, platform.bundle());
}
} // namespace

class SignalShutdownTest : public QObject
{
    Q_OBJECT
private slots:
    void remote_sendsTheThreeCommandsWithoutAQuestion();
    void local_sendsNothing();
    void modifiedProgram_isKeptInARecoveryFile();
    void portThatWillNotOpen_noMessageBoxNothingSent();
    void afterANormalClose_nothingIsSentAgain();
    void realSignal_data();
    void realSignal();
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
    QVERIFY(w->close());
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

int main(int argc, char **argv)
{
    if (argc > 2 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv);
    QApplication app(argc, argv);
    SignalShutdownTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_signal_shutdown.moc"
