// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Whole runs played by the session on the fake port and timer, on its own
// thread: the wire transcript at RUN and at each tick, with the period the
// timer was armed with, byte for byte; and what the session does with a
// port that is not there. What the window adds (its locks, caption, status
// line, selection and boxes) is tested with the window.
#include "domain/programs/RunRecordFile.h"
#include "support/SessionRig.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class SessionRunsTest : public QObject
{
    Q_OBJECT
private slots:
    void cycle3_phasesOnlyWhereTheyChange();
    void phaseTexts_comparedExactly_data();
    void phaseTexts_comparedExactly();
    void closedPort_resetTriesItAgain();
    void continuous_playsUntilStop();
    void allUnchecked_rewindsOnceThenWaitsForStop();
    void cycleField_readAsItIsWritten();
    void reset_goesOutBetweenSteps_runCarriesOn();
    void zeroDwell_staysOnTheRowUntilStop();
    void record_saysHowTheRunEnded_data();
    void record_saysHowTheRunEnded();
};

void SessionRunsTest::cycle3_phasesOnlyWhereTheyChange()
{
    SessionRig rig;
    StepSpec second;
    second.dwell = QStringLiteral("0.50");
    second.startPhase = QStringLiteral("90.00");

    const QString row1Again = stepWire(QStringLiteral(":SOUR:STPH 0.00\r")) + "@1000";
    const QString row2 = stepWire(QStringLiteral(":SOUR:STPH 90.00\r")) + "@500";
    const QStringList expected = {
        RunStart + stepWire(BothPhases) + "@1000",
        row2,
        "@500", // cycle 1, last row held twice
        row1Again,
        row2,
        "@500", // cycle 2
        row1Again,
        row2,
        "@500", // cycle 3
        RunEnd + "@off",
    };
    QCOMPARE(rig.transcript({StepSpec{}, second}, QStringLiteral("Cycle"), QStringLiteral("3")), expected);
    QCOMPARE(rig.session.state().RunCycles, 3);
}

void SessionRunsTest::phaseTexts_comparedExactly_data()
{
    QTest::addColumn<QString>("start1");
    QTest::addColumn<QString>("stop1");
    QTest::addColumn<QString>("start2");
    QTest::addColumn<QString>("stop2");
    QTest::addColumn<QString>("phases2");
    QTest::newRow("equal texts") << "0.00"
                                 << "360.00"
                                 << "0.00"
                                 << "360.00"
                                 << "";
    QTest::newRow("0.00 then 0") << "0.00"
                                 << "360.00"
                                 << "0"
                                 << "360.00"
                                 << ":SOUR:STPH 0\r";
    QTest::newRow("stop phase only") << "0.00"
                                     << "360.00"
                                     << "0.00"
                                     << "360"
                                     << ":SOUR:SPPH 360\r";
    QTest::newRow("both") << "0.00"
                          << "360.00"
                          << "0"
                          << "360"
                          << ":SOUR:STPH 0\r:SOUR:SPPH 360\r";
    QTest::newRow("blank counts") << "0.00"
                                  << "360.00"
                                  << "0.00 "
                                  << "360.00"
                                  << ":SOUR:STPH 0.00 \r";
}

void SessionRunsTest::phaseTexts_comparedExactly()
{
    QFETCH(QString, start1);
    QFETCH(QString, stop1);
    QFETCH(QString, start2);
    QFETCH(QString, stop2);
    QFETCH(QString, phases2);
    SessionRig rig;
    StepSpec a, b;
    a.startPhase = start1;
    a.stopPhase = stop1;
    b.startPhase = start2;
    b.stopPhase = stop2;
    const QStringList t = rig.transcript({a, b});
    QCOMPARE(t.value(0),
             RunStart + stepWire(":SOUR:STPH " + start1 + "\r:SOUR:SPPH " + stop1 + "\r") + "@1000");
    QCOMPARE(t.value(1), stepWire(phases2) + "@1000");
}

void SessionRunsTest::closedPort_resetTriesItAgain()
{
    SessionRig rig;
    FakePlatform &fake = rig.fake;
    // Another port chosen under Remote fails to open.
    fake.port.openablePorts = {1};
    rig.session.setPortName(QStringLiteral("COM 2"));
    rig.session.choosePort(QStringLiteral("COM 2"));
    fake.port.clearEvents();
    QSignalSpy messages(&rig.session, &InstrumentSession::message);
    QCOMPARE(rig.session.reset(), InstrumentSession::LinkResult::NotOpened);
    QTRY_COMPARE(messages.size(), 1);
    QCOMPARE(fake.port.count(FakeSerialPort::Kind::Write) + fake.port.count(FakeSerialPort::Kind::WriteFailed),
             0);
}

void SessionRunsTest::continuous_playsUntilStop()
{
    SessionRig rig;
    FakePlatform &fake = rig.fake;
    rig.start({StepSpec{}}, QStringLiteral("Continuous"));
    QCOMPARE(moment(fake), RunStart + stepWire(BothPhases) + "@1000");
    for (int cycle = 1; cycle <= 5; ++cycle) {
        QVERIFY(fake.timer.tick());
        QCOMPARE(moment(fake), QStringLiteral("@1000"));
        QCOMPARE(rig.session.state().CyclesLeft, -1 - cycle);
        QVERIFY(fake.timer.tick());
        QCOMPARE(moment(fake), stepWire(QString()) + "@1000");
    }
    rig.session.stop();
    QCOMPARE(moment(fake), RunEnd + "@off");
    QVERIFY(!rig.session.running());
}

void SessionRunsTest::allUnchecked_rewindsOnceThenWaitsForStop()
{
    SessionRig rig;
    StepSpec unchecked;
    unchecked.checked = false;
    QCOMPARE(rig.transcript({unchecked, unchecked, unchecked}), QStringList{RunStart + "@off"});
    QCOMPARE(rig.session.state().CyclesLeft, 0);
    QCOMPARE(rig.session.state().CurrentStep, 1);
    QVERIFY(rig.session.running()); // until STOP
    rig.session.stop();
    QCOMPARE(moment(rig.fake), RunEnd + "@off");
}

void SessionRunsTest::cycleField_readAsItIsWritten()
{
    SessionRig rig;
    StepSpec unchecked;
    unchecked.checked = false;
    rig.start({unchecked}, QStringLiteral("Cycle"), QStringLiteral("1,000"));
    QCOMPARE(rig.session.state().RunCycles, 1000);
    QCOMPARE(rig.session.state().CyclesLeft, 999); // one rewind in the first call
}

void SessionRunsTest::reset_goesOutBetweenSteps_runCarriesOn()
{
    SessionRig rig;
    FakePlatform &fake = rig.fake;
    rig.start({StepSpec{}, StepSpec{}});
    fake.port.clearEvents();
    rig.session.reset();
    QCOMPARE(moment(fake), QStringLiteral("*RST\r@1000"));
    QVERIFY(fake.timer.tick());
    QCOMPARE(moment(fake), stepWire(QString()) + "@1000");
}

void SessionRunsTest::zeroDwell_staysOnTheRowUntilStop()
{
    SessionRig rig;
    FakePlatform &fake = rig.fake;
    StepSpec zero;
    zero.dwell = QStringLiteral("0.00");
    QCOMPARE(rig.transcript({zero, StepSpec{}}), QStringList{RunStart + stepWire(BothPhases) + "@off"});
    QCOMPARE(fake.timer.Interval(), 0);
    QVERIFY(fake.timer.Enabled());
    QVERIFY(rig.session.running());
    rig.session.stop();
    QCOMPARE(moment(fake), RunEnd + "@off");
}

void SessionRunsTest::record_saysHowTheRunEnded_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("at its end") << "end"
                                << "completed";
    QTest::newRow("by STOP") << "stop"
                             << "stopped by STOP";
    QTest::newRow("by STOP, a step's commands still queued")
        << "stop-queued"
        << "stopped by STOP; 41 bytes of commands not yet on the line were dropped, so the last rows did not "
           "all reach the instrument";
    QTest::newRow("the link lost") << "lost"
                                   << "link failed; off commands not delivered";
    QTest::newRow("the program closed under it") << "close"
                                                 << "ended by the program's close";
}

// Each RUN of the window keeps its own record; its side file says how the
// run ended and how many steps the line held, as the run without a window's
// record does, so that the report of either tells.
void SessionRunsTest::record_saysHowTheRunEnded()
{
    QFETCH(QString, how);
    QFETCH(QString, outcome);
    QTemporaryDir dir;
    SessionRig rig;
    rig.session.setRecordDirectory(dir.path());
    rig.session.setRecordEachRun(true);
    rig.session.setRecordDetails({QStringLiteral("COM 1"), QStringLiteral("9600"), QString(), QString()});
    if (how == QLatin1String("end")) {
        rig.transcript({StepSpec{}});
    } else {
        rig.start({StepSpec{}, StepSpec{}});
        rig.fake.port.queuedBytes = how == QLatin1String("stop-queued") ? 41 : -1;
        if (how.startsWith(QLatin1String("stop")))
            rig.session.stop();
        else if (how == QLatin1String("lost"))
            rig.fake.port.loseLink();
        else
            QVERIFY(rig.session.release());
    }
    const QStringList records = QDir(dir.path()).entryList({QStringLiteral("*.csv")});
    QCOMPARE(records.size(), 1);
    QString error;
    std::optional<RecordedRun> run;
    QTRY_VERIFY((run = readRunRecord(dir.filePath(records.first()), &error)) && !run->outcome.isEmpty());
    QCOMPARE(run->outcome, outcome);
    QCOMPARE(run->stretchedSteps, 0);
}

QTEST_MAIN(SessionRunsTest)
#include "test_session_runs.moc"
