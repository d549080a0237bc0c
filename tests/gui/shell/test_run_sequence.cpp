// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Whole runs on the fake port and timer: the wire transcript at RUN and at
// each tick, with the period the timer was armed with, byte for byte.
#include "domain/instrument/SequencerCore.h"
#include "gui/shell/Texts.h"

#include "RunFixture.h"

#include <QAction>
#include <QDateTime>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class RunSequenceTest : public QObject
{
    Q_OBJECT
private slots:
    void single_oneRow_rewindAtOneSecond_endAtTwo();
    void uncheckedRows_costNoTime();
    void statusText_firstOfFourRows();
    void emptyTable_runDoesNothing();
    void unknownModeText_reusesPreviousCount();
    void unknownModeText_beforeAnyRun_endsAtOnce();
    void runLocksTheWindow_endUnlocksIt();
    void stop_endsAtOnce_selectionStaysOnLastRow();
    void noTickPending_runGoesOnUntilStop_data();
    void noTickPending_runGoesOnUntilStop();
    void local_haltsTicks_outputStaysOn_remoteThenStop();
};

void RunSequenceTest::single_oneRow_rewindAtOneSecond_endAtTwo()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}});
    const QStringList expected = {
        RunStart + stepWire(BothPhases) + "@1000", // at RUN
        "@1000",                                   // 1 s: rewind, nothing sent
        RunEnd + "@off",                           // 2 s: end of run
    };
    QCOMPARE(runTranscript(*w, fake), expected);
    QCOMPARE(w->statusText(), QStringLiteral("Now Stop"));
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"));
    QCOMPARE(w->session().state().CyclesLeft, 0);
}

void RunSequenceTest::uncheckedRows_costNoTime()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    StepSpec unchecked;
    unchecked.checked = false;
    StepSpec third;
    third.dwell = QStringLiteral("2.00");
    third.voltage = QStringLiteral("220.00");
    setSteps(*w, {StepSpec{}, unchecked, third, unchecked});
    const QStringList expected = {
        RunStart + stepWire(BothPhases) + "@1000",
        stepWire(QString(), QStringLiteral("220.00")) + "@2000", // row 3, one d1 after row 1
        "@2000",                                                 // row 4 passed over, rewind
        RunEnd + "@off",
    };
    QCOMPARE(runTranscript(*w, fake), expected);
    QCOMPARE(w->ui().livData->selectedIndex(), 3);
}

void RunSequenceTest::statusText_firstOfFourRows()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}, StepSpec{}, StepSpec{}, StepSpec{}});
    const QDateTime before = QDateTime::currentDateTime();
    w->cmdRunStop_Click();
    settle(*w);
    const QDateTime after = QDateTime::currentDateTime();
    const QString prefix = QStringLiteral("Now Running >> Step1: ( 1 / 4 )     Start Time: ");
    const QString text = w->statusText();
    QVERIFY2(text.startsWith(prefix), qPrintable(text));
    const QString when = text.mid(prefix.size());
    QVERIFY2(when == startTimeText(before) || when == startTimeText(after), qPrintable(when));
    QVERIFY(!when.isEmpty());
    QVERIFY(fake.timer.tick());
    QVERIFY(w->statusText().startsWith(QStringLiteral("Now Running >> Step2: ( 2 / 4 )     Start Time: ")));
}

void RunSequenceTest::emptyTable_runDoesNothing()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->cmdRunStop_Click();
    settle(*w);
    QVERIFY(fake.port.writes().isEmpty());
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"));
    QVERIFY(w->ui().fraData->isEnabled());
    QVERIFY(fake.timer.history.isEmpty());
    QCOMPARE(w->session().state().RunCycles, 1);
    QCOMPARE(w->session().state().StepTotal, 0);
}

void RunSequenceTest::unknownModeText_reusesPreviousCount()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}});
    chooseRunMode(*w, QStringLiteral("Cycle"), QStringLiteral("2"));
    QCOMPARE(runTranscript(*w, fake).size(), 5);
    // Typed, not picked: "cycle" is no mode, the last count (2) is used again.
    w->ui().cboRunMode->setCurrentText(QStringLiteral("cycle"));
    w->ui().txtCycleTime->setText(QStringLiteral("9"));
    QCOMPARE(runTranscript(*w, fake).size(), 5);
    QCOMPARE(w->session().state().RunCycles, 2);
}

void RunSequenceTest::unknownModeText_beforeAnyRun_endsAtOnce()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}});
    w->ui().cboRunMode->setCurrentText(QStringLiteral("single"));
    QCOMPARE(runTranscript(*w, fake), QStringList{RunStart + RunEnd + "@off"});
    QCOMPARE(w->statusText(), QStringLiteral("Now Stop"));
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"));
    QCOMPARE(w->session().state().RunCycles, 0);
}

void RunSequenceTest::runLocksTheWindow_endUnlocksIt()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}});
    auto locked = [&] {
        QList<bool> enabled = {w->ui().fraRunMode->isEnabled(),
                               w->ui().fraComm->isEnabled(),
                               w->ui().fraData->isEnabled(),
                               w->ui().mnuFile->isEnabled(),
                               w->ui().mnuFile->menuAction()->isEnabled(),
                               w->ui().mnuHelp->isEnabled(),
                               w->ui().mnuHelp->menuAction()->isEnabled()};
        return enabled == QList<bool>(7, false) ? 1 : enabled == QList<bool>(7, true) ? 0 : -1;
    };
    QCOMPARE(locked(), 0);
    w->cmdRunStop_Click();
    settle(*w);
    QCOMPARE(locked(), 1);
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&STOP"));
    QVERIFY(w->ui().fraSystemMode->isEnabled());
    QVERIFY(w->ui().cmdRunStop->isEnabled());
    QVERIFY(w->ui().cmdReset->isEnabled());
    QVERIFY(fake.timer.tick());
    QCOMPARE(locked(), 1);
    QVERIFY(fake.timer.tick());
    QCOMPARE(locked(), 0);
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"));
}

void RunSequenceTest::stop_endsAtOnce_selectionStaysOnLastRow()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}, StepSpec{}, StepSpec{}});
    w->cmdRunStop_Click();
    settle(*w);
    QVERIFY(fake.timer.tick());
    QCOMPARE(w->ui().livData->selectedIndex(), 2);
    fake.port.clearEvents();
    w->cmdRunStop_Click();
    settle(*w);
    QCOMPARE(moment(fake), RunEnd + "@off");
    QCOMPARE(w->statusText(), QStringLiteral("Now Stop"));
    QCOMPARE(w->ui().livData->selectedIndex(), 2);
    QVERIFY(!fake.timer.tick());
}

void RunSequenceTest::local_haltsTicks_outputStaysOn_remoteThenStop()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}, StepSpec{}});
    w->cmdRunStop_Click();
    settle(*w);
    fake.port.clearEvents();

    w->ui().optSystemMode_0->setChecked(true);
    w->optSystemMode_Click(0);
    settle(*w);
    QCOMPARE(fake.port.writes(), QStringList{":SYST:LOC \r"});
    QVERIFY(!fake.port.PortOpen());
    QVERIFY(!fake.timer.tick());
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&STOP"));
    QVERIFY(!w->ui().cmdRunStop->isEnabled());
    QVERIFY(!w->ui().fraData->isEnabled());

    w->ui().optSystemMode_1->setChecked(true);
    w->optSystemMode_Click(1);
    settle(*w);
    QVERIFY(w->ui().cmdRunStop->isEnabled());
    QVERIFY(!fake.timer.tick()); // still halted
    fake.port.clearEvents();
    w->cmdRunStop_Click();
    settle(*w);
    QCOMPARE(moment(fake), RunEnd + "@off");
    QVERIFY(w->ui().fraData->isEnabled());
}

void RunSequenceTest::noTickPending_runGoesOnUntilStop_data()
{
    QTest::addColumn<QString>("firstDwell");
    QTest::addColumn<bool>("checked");
    QTest::newRow("every row unchecked") << "1.00" << false;
    QTest::newRow("zero dwell") << "0.00" << true;
}

// The session arms no tick, and the run goes on: the window stays as for a
// run until STOP.
void RunSequenceTest::noTickPending_runGoesOnUntilStop()
{
    QFETCH(QString, firstDwell);
    QFETCH(bool, checked);
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    StepSpec first;
    first.dwell = firstDwell;
    first.checked = checked;
    StepSpec second;
    second.checked = checked;
    setSteps(*w, {first, second});
    QVERIFY(runTranscript(*w, fake).last().endsWith(QStringLiteral("@off")));
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&STOP"));
    QVERIFY(!w->ui().fraData->isEnabled());
    w->cmdRunStop_Click();
    settle(*w);
    QCOMPARE(moment(fake), RunEnd + "@off");
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"));
}

QTEST_MAIN(RunSequenceTest)
#include "test_run_sequence.moc"
