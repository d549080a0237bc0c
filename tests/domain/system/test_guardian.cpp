// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The guardian, quorra-guard, with the program's side of it: driven through
// the crash path's setters, as the ports and the session drive it, on a
// pseudo-terminal and a loopback socket. The end of the Guardian while armed
// stands for the program's death: the channel closes without a disarm.
#include "domain/instrument/Commands.h"
#include "domain/instrument/InstrumentSession.h"
#include "domain/system/CrashSignals.h"
#include "domain/system/Guardian.h"
#include "support/FakePlatform.h"
#include "support/PtyPair.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {
const QString Program = QStringLiteral(QUORRA_GUARD_EXECUTABLE);

bool alive(qint64 pid)
{
#ifdef Q_OS_UNIX
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == 0;
#else
    Q_UNUSED(pid);
    return false;
#endif
}

// What arrives on fd within timeoutMs, until the peer closes.
QByteArray readSocket(int fd, int timeoutMs)
{
    QByteArray data;
#ifdef Q_OS_UNIX
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0)
            continue;
        char buffer[512];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0)
            break;
        data.append(buffer, n);
    }
#else
    Q_UNUSED(fd);
    Q_UNUSED(timeoutMs);
#endif
    return data;
}

enum class End { ProgramGone, Disarmed, PortClosedThenGone };
enum class Port { Pty, Socket };
} // namespace
Q_DECLARE_METATYPE(End)
Q_DECLARE_METATYPE(Port)

class GuardianTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void release_data();
    void release();
    void portHandedOverAgain_data();
    void portHandedOverAgain();
    void trouble_data();
    void trouble();
    void followsRemote();
    void byHand_refuses();

private:
    CrashSignals m_crash; // not installed: its setters only
};

void GuardianTest::cleanup()
{
    CrashSignals::setPortHandle(-1);
    CrashSignals::setSocketHandle(-1);
    m_crash.setCrashOutput({});
}

void GuardianTest::release_data()
{
    QTest::addColumn<Port>("port");
    QTest::addColumn<End>("end");
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<bool>("written");
    QTest::newRow("pty: program gone") << Port::Pty << End::ProgramGone << QByteArray() << true;
    QTest::newRow("pty: disarmed") << Port::Pty << End::Disarmed << QByteArray() << false;
    QTest::newRow("pty: port closed, then gone")
        << Port::Pty << End::PortClosedThenGone << QByteArray() << false;
    QTest::newRow("socket: program gone") << Port::Socket << End::ProgramGone << QByteArray() << true;
    QTest::newRow("socket with a prefix: program gone")
        << Port::Socket << End::ProgramGone << QByteArray("\xff\xfa\x2c\x0c\x02\xff\xf0", 7) << true;
    QTest::newRow("socket: disarmed") << Port::Socket << End::Disarmed << QByteArray("\xff\xf0", 2) << false;
}

void GuardianTest::release()
{
#ifndef Q_OS_UNIX
    QSKIP("the guardian is POSIX only");
#else
    QFETCH(Port, port);
    QFETCH(End, end);
    QFETCH(QByteArray, prefix);
    QFETCH(bool, written);
    PtyPair pty;
    int sockets[2] = {-1, -1};
    if (port == Port::Pty) {
        QVERIFY(pty.open());
        CrashSignals::setPortHandle(pty.nearEnd());
    } else {
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets), 0);
        CrashSignals::setSocketHandle(sockets[0], prefix, 20);
    }
    const QByteArray bytes = Command::crashRelease();
    auto guardian = std::make_unique<Guardian>(Program, [](const QString &text) { QFAIL(qPrintable(text)); });
    m_crash.setCrashOutput(bytes);
    const qint64 pid = guardian->processId();
    QVERIFY(alive(pid));
    QVERIFY(guardian->waitUntilTaken(5000));
#ifdef Q_OS_LINUX
    QCOMPARE(::getsid(static_cast<pid_t>(pid)), static_cast<pid_t>(pid)); // a session of its own
#endif
    const int farEnd = port == Port::Pty ? pty.farEnd() : sockets[1];
    // Armed, it writes nothing.
    QTest::qWait(100);
    QCOMPARE(port == Port::Pty ? pty.read(-1, 100) : readSocket(farEnd, 100), QByteArray());

    if (end == End::PortClosedThenGone) {
        CrashSignals::setPortHandle(-1);
        QVERIFY(guardian->waitUntilTaken(5000));
    }
    if (end == End::Disarmed) {
        m_crash.setCrashOutput({});
        QCOMPARE(guardian->processId(), -1);
        QVERIFY(!alive(pid)); // reaped
    }
    guardian.reset();
    const QByteArray expected = written ? prefix + bytes : QByteArray();
    const QByteArray arrived = port == Port::Pty ? pty.read(expected.size() + 1, 2000)
                                                 : readSocket(farEnd, 2000);
    QCOMPARE(arrived, expected);
    if (port == Port::Socket) {
        if (written) // then its orderly end
            QCOMPARE(::recv(farEnd, nullptr, 0, MSG_DONTWAIT), ssize_t(0));
        ::close(sockets[0]);
        ::close(sockets[1]);
    }
    // It ends once done, so the port is free again.
    QTRY_VERIFY_WITH_TIMEOUT(!alive(pid) || ::waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG) > 0, 5000);
#endif
}

void GuardianTest::portHandedOverAgain_data()
{
    // Where the port goes after the guardian was started on a first pty.
    QTest::addColumn<Port>("to");
    QTest::newRow("another pty") << Port::Pty;
    QTest::newRow("a socket") << Port::Socket;
}

void GuardianTest::portHandedOverAgain()
{
#ifndef Q_OS_UNIX
    QSKIP("the guardian is POSIX only");
#else
    QFETCH(Port, to);
    PtyPair first, second;
    QVERIFY(first.open() && second.open());
    int sockets[2] = {-1, -1};
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets), 0);
    CrashSignals::setPortHandle(first.nearEnd());
    auto guardian = std::make_unique<Guardian>(Program, [](const QString &text) { QFAIL(qPrintable(text)); });
    m_crash.setCrashOutput(Command::crashRelease());
    const qint64 pid = guardian->processId();
    QVERIFY(guardian->waitUntilTaken(5000));
    // The port changes as a program's does: closed, then the other opened.
    CrashSignals::setPortHandle(-1);
    if (to == Port::Pty)
        CrashSignals::setPortHandle(second.nearEnd());
    else
        CrashSignals::setSocketHandle(sockets[0]);
    // The program's own descriptor goes: the guardian holds its copy.
    if (to == Port::Socket) {
        ::shutdown(sockets[0], SHUT_RD);
    }
    QVERIFY(guardian->waitUntilTaken(5000));
    QCOMPARE(guardian->processId(), pid); // the same guardian
    guardian.reset();
    const QByteArray bytes = Command::crashRelease();
    QCOMPARE(to == Port::Pty ? second.read(bytes.size(), 2000) : readSocket(sockets[1], 2000), bytes);
    QCOMPARE(first.read(-1, 100), QByteArray());
    ::close(sockets[0]);
    ::close(sockets[1]);
#endif
}

void GuardianTest::trouble_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("killed"); // the guardian, while armed
    QTest::addColumn<QString>("said");
    QTest::newRow("not found") << QStringLiteral("/nonexistent/quorra-guard") << false
                               << "The guardian /nonexistent/quorra-guard could not be started (not found)";
    QTest::newRow("killed") << Program << true << "ended on its own (killed by signal 9)";
    QTest::newRow("never answers") << QStringLiteral("silent") << false
                                   << "does not answer: it has taken no port in 2 s";
}

void GuardianTest::trouble()
{
#ifndef Q_OS_UNIX
    QSKIP("the guardian is POSIX only");
#else
    QFETCH(QString, program);
    QFETCH(bool, killed);
    QFETCH(QString, said);
    // A guardian that starts but takes nothing: a script that only sleeps.
    QTemporaryDir dir;
    const bool silent = program == QLatin1String("silent");
    if (silent) {
        program = dir.filePath(QStringLiteral("quorra-guard"));
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write("#!/bin/sh\nexec sleep 30\n") > 0);
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    QStringList told;
    std::mutex lock;
    {
        Guardian guardian(program, [&](const QString &text) {
            const std::lock_guard hold(lock);
            told << text;
        });
        // Twice under remote control: said once, and nothing stops the program.
        for (int remote = 0; remote < 2; ++remote) {
            m_crash.setCrashOutput(Command::crashRelease());
            if (killed && remote == 0) {
                QVERIFY(guardian.waitUntilTaken(5000));
                ::kill(static_cast<pid_t>(guardian.processId()), SIGKILL);
                QTRY_COMPARE_WITH_TIMEOUT(guardian.processId(), -1, 5000);
            }
            if (silent && remote == 0) {
                QTRY_VERIFY_WITH_TIMEOUT(
                    [&] {
                        const std::lock_guard hold(lock);
                        return !told.isEmpty();
                    }(),
                    5000);
            }
            CrashSignals::setPortHandle(-1); // a change: not started again meanwhile
            m_crash.setCrashOutput({});
        }
        QTest::qWait(50);
    }
    const std::lock_guard hold(lock);
    QCOMPARE(told.size(), 1);
    QVERIFY2(told[0].contains(said), qPrintable(told[0]));
    QVERIFY(told[0].endsWith(QStringLiteral("the output may stay on.")));
#endif
}

void GuardianTest::followsRemote()
{
#ifndef Q_OS_UNIX
    QSKIP("the guardian is POSIX only");
#else
    // Through the session: none under local control, one under remote,
    // none again after Local.
    FakePlatform fake;
    Guardian guardian(Program, [](const QString &text) { QFAIL(qPrintable(text)); });
    InstrumentSession session(fake.port, fake.timer, &m_crash);
    session.setPortName(QStringLiteral("COM 1"));
    QCOMPARE(session.probe({1}), 0);
    session.setRemote(false);
    QCOMPARE(guardian.processId(), -1);
    session.setRemote(true);
    const qint64 pid = guardian.processId();
    QVERIFY(alive(pid));
    session.setRemote(false);
    QCOMPARE(guardian.processId(), -1);
    QVERIFY(!alive(pid));
    QCOMPARE(fake.port.commands(), QStringList({":SYST:LOC ", ":SYST:REM ", ":SYST:LOC "}));
#endif
}

void GuardianTest::byHand_refuses()
{
#ifndef Q_OS_UNIX
    QSKIP("the guardian is POSIX only");
#else
    // Without the program's channel it writes nothing anywhere and says why.
    QProcess guard;
    guard.start(Program, {});
    QVERIFY(guard.waitForFinished(5000));
    QCOMPARE(guard.exitCode(), 2);
    QVERIFY(guard.readAllStandardError().contains("it is not run by hand"));
#endif
}

QTEST_GUILESS_MAIN(GuardianTest)
#include "test_guardian.moc"
