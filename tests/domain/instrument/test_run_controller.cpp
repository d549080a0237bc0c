// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// A run without a window: the run controller and the serial link on the
// fake port and timer, as a headless run uses them.
#include "domain/instrument/RunController.h"
#include "domain/instrument/RunModes.h"
#include "domain/instrument/SerialLink.h"
#include "domain/steps/StepTableModel.h"
#include "support/FakePlatform.h"

#include <QSignalSpy>
#include <QTest>
#include <limits>

namespace {
struct Headless
{
    FakePlatform fake;
    StepTableModel steps;
    SerialLink link{fake.port, fake.messages};
    RunController run{fake.timer, link, steps};

    explicit Headless(int rows)
    {
        for (int i = 1; i <= rows; ++i) {
            steps.add(i, StepRecord::makeDefault(StepDefaults::label(i)));
        }
        link.setPortName(QStringLiteral("COM 1"));
        QVERIFY(link.ensureOpen());
        fake.port.clearEvents();
    }
};
} // namespace

class RunControllerTest : public QObject
{
    Q_OBJECT
private slots:
    void singleRun_playsEveryStepAndEndsOnce();
    void refusals_data();
    void refusals();
    void lostLink_endsTheRunWithTheMessage();
    void link_reportsEveryCommandItSends();
    void continuous_neverWrapsToZero();
};

void RunControllerTest::singleRun_playsEveryStepAndEndsOnce()
{
    Headless h(2);
    QSignalSpy played(&h.run, &RunController::stepPlayed);
    QSignalSpy ended(&h.run, &RunController::runEnded);

    const RunController::Refusal refused = h.run.start(RunRequest::fromTexts(u"Single", u"1"));
    QCOMPARE(refused.reason, RunController::Refusal::Reason::None);
    QVERIFY(h.run.running());
    while (h.fake.timer.tick()) {
    }
    QVERIFY(!h.run.running());
    QCOMPARE(played.size(), 2);
    QCOMPARE(played.at(1).at(0).toInt(), 2);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.at(0).at(0).toString(), QString());
    const QStringList sent = h.fake.port.commands();
    QCOMPARE(sent.first(), QStringLiteral(":SOUR:TURN OFF"));
    QCOMPARE(sent.mid(sent.size() - 2), (QStringList{":SOUR:TURN OFF", ":OUTP OFF"}));
    QVERIFY(h.fake.messages.shown.isEmpty());
}

void RunControllerTest::refusals_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("cycles");
    QTest::addColumn<QString>("voltage");
    QTest::addColumn<bool>("portOpens");
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("message");
    using R = RunController::Refusal::Reason;
    QTest::newRow("no port") << "Single"
                             << "1"
                             << "110.00" << false << int(R::PortUnavailable) << QString();
    QTest::newRow("no cycle count") << "Cycle"
                                    << "x"
                                    << "110.00" << true << int(R::CycleCount) << " 1 to  9999 only!";
    QTest::newRow("voltage out of range")
        << "Single"
        << "1"
        << "999" << true << int(R::StepValue)
        << "Step1 (row 1): the voltage \"999\" is outside 0 to 310. The program was not run.";
}

void RunControllerTest::refusals()
{
    QFETCH(QString, mode);
    QFETCH(QString, cycles);
    QFETCH(QString, voltage);
    QFETCH(bool, portOpens);
    QFETCH(int, reason);
    QFETCH(QString, message);
    Headless h(1);
    h.steps.setSubItem(1, StepRecord::Voltage, voltage);
    if (!portOpens) {
        h.link.close();
        h.fake.port.openablePorts.clear();
    }
    QSignalSpy started(&h.run, &RunController::runStarted);

    const RunController::Refusal refused = h.run.start(RunRequest::fromTexts(mode, cycles));
    QCOMPARE(int(refused.reason), reason);
    QCOMPARE(refused.message, message);
    QVERIFY(!h.run.running());
    QCOMPARE(started.size(), 0);
    QVERIFY(h.fake.port.writes().isEmpty());
}

void RunControllerTest::lostLink_endsTheRunWithTheMessage()
{
    Headless h(2);
    QSignalSpy ended(&h.run, &RunController::runEnded);
    h.run.start(RunRequest::fromTexts(u"Continuous", u"1"));
    h.fake.port.clearEvents();

    h.fake.port.loseLink();
    QVERIFY(!h.run.running());
    QVERIFY(!h.fake.timer.Enabled());
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.at(0).at(0).toString(),
             QStringLiteral("COM 1 : not available. Change the CommPort property to another port."));
    QVERIFY(h.fake.port.writes().isEmpty()); // nothing sent on the dead link
    h.run.linkLost();                        // a second report of the same loss says nothing more
    QCOMPARE(ended.size(), 1);
}

void RunControllerTest::link_reportsEveryCommandItSends()
{
    Headless h(1);
    QSignalSpy sent(&h.link, &SerialLink::commandSent);
    h.run.start(RunRequest::fromTexts(u"Single", u"1"));
    while (h.fake.timer.tick()) {
    }
    QStringList seen;
    for (const QList<QVariant> &args : sent)
        seen << args.at(0).toString();
    QCOMPARE(seen, h.fake.port.commands());

    h.fake.port.failWrites = true;
    QVERIFY(!h.link.send(QStringLiteral("*RST")));
    QCOMPARE(sent.size(), seen.size()); // a refused command is not reported as sent
}

void RunControllerTest::continuous_neverWrapsToZero()
{
    Headless h(1);
    h.run.start(RunRequest::fromTexts(u"Continuous", u"1"));
    // As if the run had rewound about two thousand million times already.
    h.run.state().CyclesLeft = std::numeric_limits<qint32>::min() + 1;
    for (int i = 0; i < 6; ++i)
        QVERIFY(h.fake.timer.tick());
    QCOMPARE(h.run.state().CyclesLeft, std::numeric_limits<qint32>::min());
    QVERIFY(h.run.running());
    h.fake.port.clearEvents();
    QVERIFY(h.fake.timer.tick());
    QVERIFY(h.fake.port.writes().isEmpty()); // a rewind: nothing sent
    QCOMPARE(h.fake.timer.Interval(), 1000);
}

QTEST_MAIN(RunControllerTest)
#include "test_run_controller.moc"
