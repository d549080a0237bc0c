// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// What a run would do on a line of a given rate, worked out before it: the
// steps whose commands need longer than their dwell (RUN's commands before
// the first step, phase commands only where they change, unchecked steps
// skipped), the run's length with the last step held again before each
// rewind, and runs that never end; the same worked out a slice at a time.
#include "domain/programs/LineCheck.h"

#include "domain/steps/StepTableModel.h"

#include <QTest>

namespace {
// "voltage|start phase|dwell" per step, a leading "-" for an unchecked one.
void fill(StepTableModel &steps, const QStringList &rows)
{
    int n = 0;
    for (QString text : rows) {
        StepRecord row;
        row.checked = !text.startsWith(QLatin1Char('-'));
        if (!row.checked)
            text.remove(0, 1);
        const QStringList f = text.split(QLatin1Char('|'));
        row.label = QStringLiteral("S%1").arg(++n);
        row.values = {"On", "Auto", f[0], "50.00", f[1], "360.00", f[2]};
        steps.add(n, row);
    }
}

LineSettings at(int baud)
{
    LineSettings line;
    line.baud = baud;
    return line;
}
} // namespace

class LineCheckTest : public QObject
{
    Q_OBJECT
private slots:
    void stretched_data();
    void stretched();
    void timelineOfSteps();
    void report();
};

void LineCheckTest::stretched_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("cycles");
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<qint64>("lengthMs");
    QTest::addColumn<bool>("endless");

    // At 9600 baud a character takes 1.0417 ms. Step 1 carries RUN's 24
    // characters and both phases: 123 in all. Step 2 sends 63 (no phase);
    // step 3 also its new start phase, 80; step 4 its start phase back, 81.
    const QStringList four{"230.00|0.00|1.00", "0.00|0.00|0.06", "0.00|90.00|0.08", "230.00|0.00|1.00"};
    QTest::newRow("9600: 65.6 ms over 60, 83.3 ms over 80")
        << four << 9600 << 1 << QList<int>{2, 3} << qint64(1000 + 66 + 84 + 2 * 1000) << false;
    QTest::newRow("two cycles: the rewind sends no phase again")
        << four << 9600 << 2 << QList<int>{2, 3, 2, 3} << qint64(2 * 3150) << false;
    QTest::newRow("4800: twice the time")
        << four << 4800 << 1 << QList<int>{2, 3} << qint64(1000 + 132 + 167 + 2000) << false;
    QTest::newRow("an unchecked step costs nothing, and its phase is not compared")
        << QStringList{"230.00|0.00|1.00", "-0.00|90.00|0.06", "0.00|90.00|0.08", "230.00|0.00|1.00"} << 9600
        << 1 << QList<int>{3} << qint64(1000 + 84 + 2000) << false;
    QTest::newRow("just in time: 63 characters in 0.07")
        << QStringList{"230.00|0.00|1.00", "0.00|0.00|0.07"} << 9600 << 1 << QList<int>{}
        << qint64(1000 + 2 * 70) << false;
    QTest::newRow("the first step carries RUN's commands: 128 ms")
        << QStringList{"230.00|0.00|0.12"} << 9600 << 1 << QList<int>{1} << qint64(129 + 120) << false;
    QTest::newRow("a dwell of 0 holds until STOP")
        << QStringList{"230.00|0.00|1.00", "0.00|0.00|0.00", "230.00|0.00|1.00"} << 9600 << 1 << QList<int>{}
        << qint64(1000) << true;
    QTest::newRow("nothing checked: the run waits for STOP")
        << QStringList{"-230.00|0.00|1.00"} << 9600 << 1 << QList<int>{} << qint64(0) << true;
}

void LineCheckTest::stretched()
{
    QFETCH(QStringList, rows);
    QFETCH(int, baud);
    QFETCH(int, cycles);
    QFETCH(QList<int>, positions);
    QFETCH(qint64, lengthMs);
    QFETCH(bool, endless);
    StepTableModel steps;
    fill(steps, rows);
    const LineCheck check = checkLine(steps, at(baud), cycles);
    QList<int> found;
    for (const StretchedRow &s : check.stretched) {
        found << s.position;
        QVERIFY(s.lineMs > s.dwellMs);
        QCOMPARE(s.label, steps.row(s.position).label);
    }
    QCOMPARE(found, positions);
    QCOMPARE(check.timeline.lengthMs, lengthMs);
    QCOMPARE(check.timeline.endless, endless);

    // A step a slice, as a window works out a long program, and without the
    // timeline, as the table's marks do: the same answer.
    for (const auto detail : {LineChecker::Detail::Timeline, LineChecker::Detail::StretchedOnly}) {
        LineChecker sliced(steps, at(baud), cycles, detail);
        double before = sliced.progress();
        int slices = 0;
        while (!sliced.advance(1)) {
            QVERIFY(sliced.progress() >= before && sliced.progress() < 1.0);
            before = sliced.progress();
            QVERIFY(++slices < 100);
        }
        QCOMPARE(sliced.progress(), 1.0);
        QList<int> slicedFound;
        for (const StretchedRow &s : sliced.result().stretched)
            slicedFound << s.position;
        QCOMPARE(slicedFound, positions);
        QCOMPARE(sliced.result().timeline.lengthMs, lengthMs);
        QCOMPARE(sliced.result().stepsPlayed, check.stepsPlayed);
        if (detail == LineChecker::Detail::Timeline)
            QCOMPARE(sliced.result().timeline.steps.size(), check.timeline.steps.size());
    }
}

void LineCheckTest::timelineOfSteps()
{
    StepTableModel steps;
    fill(steps, {"230.00|0.00|1.00", "0.00|0.00|0.06", "0.00|90.00|0.08", "230.00|0.00|1.00"});
    steps.setSubItem(2, StepRecord::Output, QStringLiteral("Off"));
    const Timeline t = checkLine(steps, at(9600)).timeline;
    QCOMPARE(t.steps.size(), 4);
    QList<qint64> starts, held;
    for (const TimelineStep &s : t.steps) {
        starts << s.startMs;
        held << s.heldMs;
    }
    QCOMPARE(starts, (QList<qint64>{0, 1000, 1067, 1151}));
    // "Off" is one character more than "On"; the last step is held again before the end.
    QCOMPARE(held, (QList<qint64>{1000, 67, 84, 2000}));
    QCOMPARE((QList<bool>{t.steps[0].outputOn, t.steps[1].outputOn, t.steps[2].stretched}),
             (QList<bool>{true, false, true}));
    QCOMPARE((QList<double>{t.steps[0].volts, t.steps[0].hertz}), (QList<double>{230, 50}));
    QCOMPARE(t.steps[3].label, QStringLiteral("S4"));
}

void LineCheckTest::report()
{
    StepTableModel steps;
    fill(steps, {"230.00|0.00|1.00", "0.00|0.00|0.06"});
    const QString text = lineCheckReport(checkLine(steps, at(9600)), at(9600));
    QVERIFY2(text.contains(QLatin1String("step 2  S2  dwell 0.060 s  line 0.066 s")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("Expected length: 0:01.126 (1.126 s)")), qPrintable(text));
}

QTEST_GUILESS_MAIN(LineCheckTest)
#include "test_line_check.moc"
