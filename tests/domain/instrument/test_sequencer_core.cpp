// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The sequencer's decisions without a window: dwell periods, the progress
// line, the cycle count read from the cycle field, and the cycle counter.
#include "domain/instrument/RunModes.h"
#include "domain/instrument/SequencerCore.h"
#include "domain/steps/StepTableModel.h"

#include "support/RunWire.h"

#include <QTest>
#include <limits>

class SequencerCoreTest : public QObject
{
    Q_OBJECT
private slots:
    void dwellPeriod_data();
    void dwellPeriod();
    void halfGoesToTheEvenNeighbour_data();
    void halfGoesToTheEvenNeighbour();
    void firstUnplayableDwell_onlyCheckedRowsCount();
    void statusText_blankBeforeEachNumber();
    void cycleCountFromText_data();
    void cycleCountFromText();
    void cyclesForMode_data();
    void cyclesForMode();
    void continuousCountStopsAtTheLowestValue();
    void playedRowComesWithItsPeriodAndState();
};

void SequencerCoreTest::dwellPeriod_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("ms");
    QTest::addColumn<bool>("fits");
    QTest::newRow("0.015") << "0.015" << 15.0 << true;
    QTest::newRow("1.005") << "1.005" << 1005.0 << true;
    QTest::newRow("65.53") << "65.53" << 65530.0 << true;
    QTest::newRow("0.01") << "0.01" << 10.0 << true;
    QTest::newRow("1.00") << "1.00" << 1000.0 << true;
    QTest::newRow("largest period") << "65.535" << 65535.0 << true;
    QTest::newRow("one ms too long") << "65.536" << 65536.0 << false;
    QTest::newRow("from a file, 70 s") << "70" << 70000.0 << false;
    QTest::newRow("negative") << "-1" << -1000.0 << false;
    QTest::newRow("tiny negative rounds to 0") << "-0.0001" << 0.0 << true;
    QTest::newRow("zero") << "0.00" << 0.0 << true;
    QTest::newRow("no number") << "abc" << 0.0 << true;
    QTest::newRow("empty") << "" << 0.0 << true;
    QTest::newRow("comma ends the number") << "1,5" << 1000.0 << true;
    QTest::newRow("exponent, 1000 s") << "1E3" << 1e6 << false;
}

void SequencerCoreTest::dwellPeriod()
{
    QFETCH(QString, text);
    QFETCH(double, ms);
    QFETCH(bool, fits);
    const double period = dwellPeriodMs(text);
    QCOMPARE(period, ms);
    QCOMPARE(dwellFitsTimer(period), fits);
}

void SequencerCoreTest::halfGoesToTheEvenNeighbour_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("rounded");
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("3.5") << 3.5 << 4.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("2.4999") << 2.4999 << 2.0;
    QTest::newRow("2.5001") << 2.5001 << 3.0;
    QTest::newRow("1004.9999999999999") << 1004.9999999999999 << 1005.0;
}

void SequencerCoreTest::halfGoesToTheEvenNeighbour()
{
    QFETCH(double, x);
    QFETCH(double, rounded);
    QCOMPARE(roundHalfToEven(x), rounded);
}

void SequencerCoreTest::firstUnplayableDwell_onlyCheckedRowsCount()
{
    StepTableModel steps;
    steps.add(1, stepRecord(1, {true, QStringLiteral("1.00")}));
    steps.add(2, stepRecord(2, {false, QStringLiteral("70")})); // never played
    steps.add(3, stepRecord(3, {true, QStringLiteral("65.535")}));
    QCOMPARE(firstUnplayableDwell(steps), 0);
    steps.add(4, stepRecord(4, {true, QStringLiteral("-0.5")}));
    steps.add(5, stepRecord(5, {true, QStringLiteral("99")}));
    QCOMPARE(firstUnplayableDwell(steps), 4);
}

void SequencerCoreTest::statusText_blankBeforeEachNumber()
{
    QCOMPARE(runningStatusText(QStringLiteral("Step3"), 3, 10, QStringLiteral("T")),
             QStringLiteral("Now Running >> Step3: ( 3 / 10 )     Start Time: T"));
    QCOMPARE(runningStatusText(QStringLiteral("Step1"), 1, 4, QStringLiteral("1/2/24 10:00:00")),
             QStringLiteral("Now Running >> Step1: ( 1 / 4 )     Start Time: 1/2/24 10:00:00"));
}

void SequencerCoreTest::cycleCountFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<int>("count");
    QTest::newRow("plain") << "3" << true << 3;
    QTest::newRow("blanks around") << "  3 " << true << 3;
    QTest::newRow("grouped as the field writes it") << "1,000" << true << 1000;
    QTest::newRow("largest field value") << "9,999" << true << 9999;
    QTest::newRow("two groups") << "1,234,567" << true << 1234567;
    QTest::newRow("half down to even") << "2.5" << true << 2;
    QTest::newRow("half up to even") << "3.5" << true << 4;
    QTest::newRow("below half") << "3.49" << true << 3;
    QTest::newRow("grouped with fraction") << "1,000.5" << true << 1000;
    QTest::newRow("exponent") << "1e3" << true << 1000;
    QTest::newRow("plus sign") << "+7" << true << 7;
    QTest::newRow("minus sign") << "-2" << true << -2;
    QTest::newRow("largest 32-bit") << "2147483647" << true << 2147483647;
    QTest::newRow("beyond 32 bits") << "2147483648" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("trailing text") << "3x" << false << 0;
    QTest::newRow("decimal comma") << "1,5x" << false << 0;
    QTest::newRow("comma first") << ",5" << false << 0;
    QTest::newRow("comma last") << "5," << false << 0;
    QTest::newRow("point alone") << "." << false << 0;
    QTest::newRow("two points") << "1.2.3" << false << 0;
    QTest::newRow("blank inside") << "1 000" << false << 0;
    QTest::newRow("exponent without digits") << "1e" << false << 0;
}

void SequencerCoreTest::cycleCountFromText()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(int, count);
    const std::optional<qint32> read = ::cycleCountFromText(text);
    QCOMPARE(read.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*read, count);
}

void SequencerCoreTest::cyclesForMode_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("previous");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("cycles");
    QTest::newRow("Single") << "Single"
                            << "5" << 0 << true << 1;
    QTest::newRow("Continuous") << "Continuous"
                                << "5" << 0 << true << -1;
    QTest::newRow("Cycle") << "Cycle"
                           << "5" << 0 << true << 5;
    QTest::newRow("Cycle, grouped") << "Cycle"
                                    << "2,000" << 0 << true << 2000;
    QTest::newRow("Cycle, no number") << "Cycle"
                                      << "x" << 7 << false << 0;
    QTest::newRow("lower case keeps previous") << "single"
                                               << "5" << 7 << true << 7;
    QTest::newRow("typed text keeps previous") << "Forever"
                                               << "5" << -1 << true << -1;
    QTest::newRow("nothing before the first run") << ""
                                                  << "5" << 0 << true << 0;
    QTest::newRow("trailing blank is another text") << "Cycle "
                                                    << "x" << 3 << true << 3;
}

void SequencerCoreTest::cyclesForMode()
{
    QFETCH(QString, mode);
    QFETCH(QString, field);
    QFETCH(int, previous);
    QFETCH(bool, ok);
    QFETCH(int, cycles);
    const std::optional<qint32> got = RunMode::cyclesFor(mode, field, previous);
    QCOMPARE(got.has_value(), ok);
    if (ok)
        QCOMPARE(*got, cycles);
}

void SequencerCoreTest::continuousCountStopsAtTheLowestValue()
{
    StepTableModel steps;
    steps.add(1, stepRecord(1, {}));
    RunState run;
    run.StepTotal = 1;
    run.CurrentStep = 2;
    run.CyclesLeft = std::numeric_limits<qint32>::min() + 1;
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(advanceSequencer(run, steps).action, SequencerStep::Action::Rewind);
        QCOMPARE(run.CyclesLeft, std::numeric_limits<qint32>::min());
        QCOMPARE(advanceSequencer(run, steps).action, SequencerStep::Action::Play);
    }
}

void SequencerCoreTest::playedRowComesWithItsPeriodAndState()
{
    StepTableModel steps;
    steps.add(1, stepRecord(1, {false}));
    steps.add(2, stepRecord(2, {true, QStringLiteral("0.25")}));
    RunState run{2, 1, 1, 1, 0, {}, {}};
    const SequencerStep step = advanceSequencer(run, steps);
    QCOMPARE(step.action, SequencerStep::Action::Play);
    QCOMPARE(step.position, 2);
    QCOMPARE(step.periodMs, 250);
    QCOMPARE(step.commands.join(QLatin1Char('\r')) + QLatin1Char('\r'), stepWire(BothPhases));
    QCOMPARE(run.LastSentStep, 2);
    QCOMPARE(run.CurrentStep, 3);
    QCOMPARE(run.CyclesLeft, 1);
    QCOMPARE(advanceSequencer(run, steps).action, SequencerStep::Action::Rewind);
    QCOMPARE(run.CurrentStep, 1);
    QCOMPARE(run.CyclesLeft, 0);
    QCOMPARE(advanceSequencer(run, steps).action, SequencerStep::Action::EndOfRun);
}

QTEST_MAIN(SequencerCoreTest)
#include "test_sequencer_core.moc"
