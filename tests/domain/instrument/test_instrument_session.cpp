// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The instrument session without a window: the operator's actions on the
// wire, the crash guard following remote control, a row rewritten during a
// run, and the session on a thread of its own keeping its run going while
// the caller's thread is busy.
#include "domain/instrument/Commands.h"
#include "domain/instrument/InstrumentSession.h"
#include "domain/instrument/SessionThread.h"
#include "domain/ports/PortMap.h"
#include "domain/ports/QtSerialPort.h"
#include "domain/system/QtTimer.h"

#include "support/FakePlatform.h"
#include "support/PtyPair.h"
#include "support/RunWire.h"

#include <QSignalSpy>
#include <QTest>
#include <thread>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <unistd.h>
#endif

namespace {
std::vector<StepRecord> steps(const QList<StepSpec> &specs)
{
    std::vector<StepRecord> rows;
    for (int i = 0; i < specs.size(); ++i)
        rows.push_back(stepRecord(i + 1, specs[i]));
    return rows;
}

QString wire(FakeSerialPort &port)
{
    QString text = port.writes().join(QString());
    port.clearEvents();
    return text;
}

const RunRequest Single{RunRequest::Mode::Single, {}};

#ifdef Q_OS_UNIX
// What has arrived at the far end, read without handling any event.
QByteArray arrived(int fd)
{
    QByteArray data;
    pollfd p{fd, POLLIN, 0};
    char buffer[512];
    while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        data.append(buffer, n);
    }
    return data;
}
#endif
} // namespace

class InstrumentSessionTest : public QObject
{
    Q_OBJECT
private slots:
    void probe_firstPortThatOpens_data();
    void probe_firstPortThatOpens();
    void remoteAndLocal_wireAndCrashGuard();
    void remote_portThatWillNotOpen_saysSoOnce();
    void release_onlyUnderRemote();
    void start_whileRunning_changesNothing();
    void stop_whenIdle_sendsNothing();
    void updateStep_nextPlayUsesNewTexts();
    void updateStep_playsWhatTheInstrumentNeeds_data();
    void updateStep_playsWhatTheInstrumentNeeds();
    void updateStep_whenIdle_isIgnored();
    void sendFailureDuringRun_endsRunWithMessage();
    void start_refusals_sendNothing_data();
    void start_refusals_sendNothing();
    void ownThread_runGoesOnWhileCallerIsBusy();
    void ownThread_endingBringsObjectsHome();
    void portMap_reachesThePortOnTheSessionsThread_data();
    void portMap_reachesThePortOnTheSessionsThread();
};

void InstrumentSessionTest::probe_firstPortThatOpens_data()
{
    QTest::addColumn<QList<int>>("openable");
    QTest::addColumn<int>("index");
    QTest::newRow("both") << QList<int>{1, 2} << 0;
    QTest::newRow("second only") << QList<int>{2} << 1;
    QTest::newRow("none") << QList<int>{} << -1;
}

void InstrumentSessionTest::probe_firstPortThatOpens()
{
    QFETCH(QList<int>, openable);
    QFETCH(int, index);
    FakePlatform fake;
    fake.port.openablePorts = QSet<int>(openable.begin(), openable.end());
    InstrumentSession session(fake.port, fake.timer, &fake.crash);
    QSignalSpy messages(&session, &InstrumentSession::message);
    QCOMPARE(session.probe({1, 2}), index);
    // Silent whatever the outcome, and the winner stays open.
    QCOMPARE(messages.size(), 0);
    QCOMPARE(fake.port.PortOpen(), index >= 0);
    QVERIFY(fake.port.writes().isEmpty());
}

void InstrumentSessionTest::remoteAndLocal_wireAndCrashGuard()
{
    FakePlatform fake;
    InstrumentSession session(fake.port, fake.timer, &fake.crash);
    QCOMPARE(session.probe({1}), 0);

    QCOMPARE(session.setRemote(false), InstrumentSession::LinkResult::Done);
    QCOMPARE(wire(fake.port), QStringLiteral(":SYST:LOC \r"));
    QVERIFY(!fake.port.PortOpen());
    QVERIFY(fake.crash.bytes.isEmpty());
    QVERIFY(!session.remote());

    QCOMPARE(session.setRemote(true), InstrumentSession::LinkResult::Done);
    QCOMPARE(wire(fake.port), QStringLiteral(":SYST:REM \r"));
    QVERIFY(fake.port.PortOpen());
    QCOMPARE(fake.crash.bytes, Command::crashRelease());
    QVERIFY(session.remote());

    QCOMPARE(session.reset(), InstrumentSession::LinkResult::Done);
    QCOMPARE(wire(fake.port), QStringLiteral("*RST\r"));
}

void InstrumentSessionTest::remote_portThatWillNotOpen_saysSoOnce()
{
    FakePlatform fake;
    fake.port.openablePorts.clear();
    InstrumentSession session(fake.port, fake.timer, &fake.crash);
    session.setPortName(QStringLiteral("COM 2"));
    QSignalSpy messages(&session, &InstrumentSession::message);
    QCOMPARE(session.setRemote(true), InstrumentSession::LinkResult::NotOpened);
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().first().toString().contains(QStringLiteral("COM 2")));
    // Remote was chosen all the same: closing tries to release it.
    QVERIFY(session.remote());
    QCOMPARE(session.reset(), InstrumentSession::LinkResult::NotOpened);
    QCOMPARE(messages.size(), 2);
}

void InstrumentSessionTest::release_onlyUnderRemote()
{
    FakePlatform fake;
    InstrumentSession session(fake.port, fake.timer, &fake.crash);
    session.probe({1});
    session.setRemote(false);
    fake.port.clearEvents();
    session.release();
    QVERIFY(fake.port.events.isEmpty());

    session.setRemote(true);
    fake.port.clearEvents();
    session.release();
    QCOMPARE(wire(fake.port), QStringLiteral(":SOUR:TURN OFF\r:OUTP OFF\r:SYST:LOC \r"));
    QVERIFY(!fake.port.PortOpen());
    QVERIFY(fake.crash.bytes.isEmpty());
}

void InstrumentSessionTest::start_whileRunning_changesNothing()
{
    FakePlatform fake;
    InstrumentSession session(fake.port, fake.timer, &fake.crash);
    session.probe({1});
    session.setRemote(true);
    fake.port.clearEvents();
    QSignalSpy started(&session, &InstrumentSession::runStarted);
    QCOMPARE(session.start(Single, steps({StepSpec{}, StepSpec{}})).reason,
             InstrumentSession::Refusal::Reason::None);
    QCOMPARE(wire(fake.port), RunStart + BothPhases + stepWire(QString()));
    // A second RUN (a click the window had not yet seen lock) starts nothing.
    QCOMPARE(session.start(Single, steps({StepSpec{}})).reason, InstrumentSession::Refusal::Reason::None);
    QCOMPARE(started.size(), 1);
    QVERIFY(fake.port.writes().isEmpty());
    QCOMPARE(session.state().StepTotal, 2);
}

void InstrumentSessionTest::stop_whenIdle_sendsNothing()
{
    FakePlatform fake;
    InstrumentSession session(fake.port, fake.timer, &fake.crash);
    session.probe({1});
    session.setRemote(true);
    fake.port.clearEvents();
    QSignalSpy ended(&session, &InstrumentSession::runEnded);
    session.stop(); // a STOP the window sent as the run ended by itself
    QVERIFY(fake.port.events.isEmpty());
    QCOMPARE(ended.size(), 0);
}

void InstrumentSessionTest::updateStep_nextPlayUsesNewTexts()
{
    FakePlatform fake;
    InstrumentSession session(fake.port, fake.timer, &fake.crash);
    session.probe({1});
    session.setRemote(true);
    session.start({RunRequest::Mode::Cycle, 2}, steps({StepSpec{}, StepSpec{}}));
    fake.port.clearEvents();
    // The editor rewrites the first row while the second plays.
    StepRecord row = stepRecord(1, StepSpec{});
    row.subItem(StepRecord::Voltage) = QStringLiteral("12.50");
    QVERIFY(fake.timer.tick());
    session.updateStep(1, row);
    QVERIFY(fake.timer.tick()); // the rewind
    QVERIFY(fake.timer.tick());
    QVERIFY(wire(fake.port).endsWith(stepWire(QString(), QStringLiteral("12.50"))));
    // Out of range: nothing to rewrite.
    session.updateStep(3, row);
    session.updateStep(0, row);
    QCOMPARE(session.state().StepTotal, 2);
}

void InstrumentSessionTest::updateStep_playsWhatTheInstrumentNeeds_data()
{
    QTest::addColumn<int>("position"); // the row rewritten while the first plays
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("second"); // what the second row then sends
    const QString second = stepWire(QString());
    // The instrument holds the phases that went out, whatever the played
    // row says now.
    QTest::newRow("played row's start phase now the next one's")
        << 1 << int(StepRecord::StartPhase) << "90.00" << QStringLiteral(":SOUR:STPH 90.00\r") + second;
    QTest::newRow("played row's stop phase rewritten")
        << 1 << int(StepRecord::StopPhase) << "180.00" << QStringLiteral(":SOUR:STPH 90.00\r") + second;
    // What RUN would refuse to send is never sent.
    QTest::newRow("next row's output no instrument word")
        << 2 << int(StepRecord::Output) << "Bogus" << QStringLiteral(":SOUR:STPH 90.00\r") + second;
}

void InstrumentSessionTest::updateStep_playsWhatTheInstrumentNeeds()
{
    QFETCH(int, position);
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, second);
    FakePlatform fake;
    InstrumentSession session(fake.port, fake.timer, &fake.crash);
    session.probe({1});
    session.setRemote(true);
    fake.port.clearEvents();
    StepSpec b;
    b.startPhase = QStringLiteral("90.00");
    session.start(Single, steps({StepSpec{}, b}));
    QCOMPARE(wire(fake.port), RunStart + BothPhases + stepWire(QString()));
    fake.port.clearEvents();
    StepRecord row = stepRecord(position, position == 1 ? StepSpec{} : b);
    row.subItem(StepRecord::Field(field)) = text;
    session.updateStep(position, row);
    QVERIFY(fake.timer.tick());
    QCOMPARE(wire(fake.port), second);
}

void InstrumentSessionTest::updateStep_whenIdle_isIgnored()
{
    FakePlatform fake;
    InstrumentSession session(fake.port, fake.timer, &fake.crash);
    session.probe({1});
    session.setRemote(true);
    session.start(Single, steps({StepSpec{}}));
    for (int i = 0; i < 5 && session.running(); ++i)
        fake.timer.tick();
    QVERIFY(!session.running());
    StepRecord row = stepRecord(1, StepSpec{});
    row.subItem(StepRecord::Voltage) = QStringLiteral("12.50");
    session.updateStep(1, row);
    fake.port.clearEvents();
    // The next RUN plays the table it is given, not a stale rewrite.
    session.start(Single, steps({StepSpec{}}));
    QCOMPARE(wire(fake.port), RunStart + BothPhases + stepWire(QString()));
}

void InstrumentSessionTest::sendFailureDuringRun_endsRunWithMessage()
{
    FakePlatform fake;
    InstrumentSession session(fake.port, fake.timer, &fake.crash);
    session.setPortName(QStringLiteral("COM 1"));
    session.probe({1});
    session.setRemote(true);
    QSignalSpy ended(&session, &InstrumentSession::runEnded);
    QSignalSpy messages(&session, &InstrumentSession::message);
    session.start(Single, steps({StepSpec{}, StepSpec{}}));
    fake.port.failWrites = true;
    QVERIFY(fake.timer.tick());
    QCOMPARE(ended.size(), 1);
    QVERIFY(!ended.first().first().toString().isEmpty());
    QVERIFY(!session.running());
    // Reset on the dead port says so itself; the run said it once.
    QCOMPARE(session.reset(), InstrumentSession::LinkResult::NotSent);
    QCOMPARE(messages.size(), 1);
}

void InstrumentSessionTest::start_refusals_sendNothing_data()
{
    QTest::addColumn<bool>("portOpens");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("dwell");
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("message");
    using Reason = InstrumentSession::Refusal::Reason;
    QTest::newRow("port") << false << int(RunRequest::Mode::Single) << QStringLiteral("1.00")
                          << int(Reason::PortUnavailable) << QString();
    // The port is tried first: a bad cycle count on a dead port says only the port.
    QTest::newRow("port before count") << false << int(RunRequest::Mode::Cycle) << QStringLiteral("1.00")
                                       << int(Reason::PortUnavailable) << QString();
    QTest::newRow("no count") << true << int(RunRequest::Mode::Cycle) << QStringLiteral("1.00")
                              << int(Reason::CycleCount) << QStringLiteral(" 1 to  9999 only!");
    QTest::newRow("dwell too long") << true << int(RunRequest::Mode::Single) << QStringLiteral("65.536")
                                    << int(Reason::StepValue) << QStringLiteral("Step1 (row 1)");
}

void InstrumentSessionTest::start_refusals_sendNothing()
{
    QFETCH(bool, portOpens);
    QFETCH(int, mode);
    QFETCH(QString, dwell);
    QFETCH(int, reason);
    QFETCH(QString, message);
    FakePlatform fake;
    InstrumentSession session(fake.port, fake.timer, &fake.crash);
    session.setPortName(QStringLiteral("COM 1"));
    session.probe({1});
    session.setRemote(true);
    if (!portOpens) {
        session.setRemote(false); // closes the port
        fake.port.openablePorts.clear();
    }
    fake.port.clearEvents();
    QSignalSpy messages(&session, &InstrumentSession::message);
    QSignalSpy started(&session, &InstrumentSession::runStarted);
    StepSpec step;
    step.dwell = dwell;
    const InstrumentSession::Refusal refused = session.start({RunRequest::Mode(mode), std::nullopt},
                                                             steps({step}));
    QCOMPARE(int(refused.reason), reason);
    QVERIFY2(refused.message.startsWith(message), qPrintable(refused.message));
    QVERIFY(fake.port.writes().isEmpty());
    QCOMPARE(started.size(), 0);
    QVERIFY(!session.running());
    // Only the port's refusal is a message of the session's; the others
    // come back to the caller, who shows them in its own way.
    QCOMPARE(messages.size(), portOpens ? 0 : 1);
}

#ifdef Q_OS_UNIX
void InstrumentSessionTest::ownThread_runGoesOnWhileCallerIsBusy()
{
    PtyPair pty;
    QVERIFY(pty.open());
    PortMap ports;
    ports.setDevice(1, pty.deviceName());
    QtSerialPort port;
    QtTimer timer;
    FakeCrashGuard crash;
    InstrumentSession session(port, timer, &crash);
    {
        SessionThread thread(session, {&port, &timer});
        session.setPortMap(ports); // carried out on the session's thread
        QVERIFY(session.thread() != QThread::currentThread());
        QVERIFY(port.thread() == session.thread());
        // Received here, as the window receives them.
        QList<QPair<int, RunState>> played;
        int ended = 0;
        connect(&session, &InstrumentSession::stepPlayed, this, [&](int position, const RunState &state) {
            played.append({position, state});
        });
        connect(&session, &InstrumentSession::runEnded, this, [&] { ++ended; });
        QCOMPARE(session.probe({1}), 0);
        QCOMPARE(session.setRemote(true), InstrumentSession::LinkResult::Done);
        // The port told the crash path its handle, through the session's guard.
        QVERIFY(crash.port >= 0);
        QCOMPARE(session
                     .start(Single, steps({StepSpec{true, QStringLiteral("0.02")},
                                           StepSpec{true, QStringLiteral("0.02")},
                                           StepSpec{true, QStringLiteral("0.02")}}))
                     .reason,
                 InstrumentSession::Refusal::Reason::None);
        // This thread is busy (a modal box, a long repaint) far longer than
        // the run: the run ends all the same, and its end is on the wire.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const QByteArray far = arrived(pty.farEnd());
        QVERIFY2(far.endsWith(RunEnd.toLatin1()), far.right(60).constData());
        QCOMPARE(far.count(":SOUR:FREQ "), 3);
        // What the window is told arrives once it looks, in order.
        QCOMPARE(played.size(), 0);
        QTRY_COMPARE(ended, 1);
        QCOMPARE(played.size(), 3);
        QCOMPARE(played.at(2).first, 3);
        QCOMPARE(played.at(2).second.StepTotal, 3);
        session.release();
        QCOMPARE(crash.port, qintptr(-1));
    }
}

void InstrumentSessionTest::ownThread_endingBringsObjectsHome()
{
    FakePlatform fake;
    QtTimer timer;
    InstrumentSession session(fake.port, timer);
    {
        SessionThread thread(session, {&timer, nullptr});
        QVERIFY(timer.thread() != QThread::currentThread());
        // A call from here is carried out there and returns its result.
        QCOMPARE(session.probe({2}), 0);
        QCOMPARE(fake.port.CommPort(), 2);
    }
    QCOMPARE(session.thread(), QThread::currentThread());
    QCOMPARE(timer.thread(), QThread::currentThread());
    // Back home, calls are made at once.
    QCOMPARE(session.setRemote(true), InstrumentSession::LinkResult::Done);
}
#else
void InstrumentSessionTest::ownThread_runGoesOnWhileCallerIsBusy()
{
    QSKIP("pseudo-terminals are POSIX only");
}
void InstrumentSessionTest::ownThread_endingBringsObjectsHome()
{
    QSKIP("pseudo-terminals are POSIX only");
}
#endif

void InstrumentSessionTest::portMap_reachesThePortOnTheSessionsThread_data()
{
    QTest::addColumn<bool>("ownThread");
    QTest::newRow("caller's thread") << false;
    QTest::newRow("own thread") << true;
}

void InstrumentSessionTest::portMap_reachesThePortOnTheSessionsThread()
{
    QFETCH(bool, ownThread);
    FakePlatform fake;
    QtTimer timer;
    InstrumentSession session(fake.port, timer);
    std::unique_ptr<SessionThread> thread;
    if (ownThread)
        thread = std::make_unique<SessionThread>(session, QList<QObject *>{&timer, nullptr});
    QCOMPARE(fake.port.portMapThread, nullptr); // nothing handed over unasked
    PortMap map;
    map.setUnavailable(2);
    session.setPortMap(map);
    QVERIFY(session.portMap() == map);
    QVERIFY(fake.port.portMap == map);
    QCOMPARE(fake.port.portMapThread, session.thread());
}

QTEST_MAIN(InstrumentSessionTest)
#include "test_instrument_session.moc"
