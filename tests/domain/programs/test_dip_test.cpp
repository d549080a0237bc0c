// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The IEC 61000-4-11 programs as generated: every event of the class at its
// level, duration and angle, repeated with the gap at UT before each one
// and after the last, labelled; and the options that are refused.
#include "domain/programs/DipTest.h"

#include <QTest>

namespace {
struct Event
{
    QString label;
    QString voltage;
    QString phase;
    QString dwell;
};

// The events of a program (every second row); a row that is no step at
// the frequency, or a gap row that is not the gap, ends the list with a
// note of it.
QList<Event> eventsOf(const DipTest::Program &program, const QString &gapLabel, const QString &ut,
                      const QString &gapDwell, const QString &hertz)
{
    QList<Event> events;
    for (size_t i = 0; i < program.rows.size(); ++i) {
        const StepRecord &r = program.rows[i];
        const Event e{r.label, r.subItem(StepRecord::Voltage), r.subItem(StepRecord::StartPhase),
                      r.subItem(StepRecord::WorkTime)};
        const bool step = r.checked && r.values[0] == "On" && r.values[1] == "Auto" && r.values[3] == hertz
                          && r.values[5] == "360.00";
        if (!step || (i % 2 == 0 && (e.label != gapLabel || e.voltage != ut || e.dwell != gapDwell)))
            return events << Event{QStringLiteral("row %1 is wrong: %2").arg(i + 1).arg(r.label), {}, {}, {}};
        if (i % 2 == 1)
            events << e;
    }
    return events;
}
} // namespace

class DipTestTest : public QObject
{
    Q_OBJECT
private slots:
    void program_data();
    void program();
    void refused_data();
    void refused();
    void utWrittenToTwoDecimals();
    void dwellText_data();
    void dwellText();
};

void DipTestTest::program_data()
{
    QTest::addColumn<int>("testClass");
    QTest::addColumn<int>("hertz");
    QTest::addColumn<QStringList>("levels"); // label stem | voltage | dwell, per level
    QTest::addColumn<int>("notices");

    QTest::newRow("class 2, 50 Hz") << 2 << 50
                                    << QStringList{"Dip 0% 0.5c|0.00|0.01", "Dip 0% 1c|0.00|0.02",
                                                   "Dip 70% 25c|161.00|0.50", "Interruption 0% 250c|0.00|5.00"}
                                    << 0;
    QTest::newRow("class 2, 60 Hz") << 2 << 60
                                    << QStringList{"Dip 0% 0.5c|0.00|0.008", "Dip 0% 1c|0.00|0.017",
                                                   "Dip 70% 30c|161.00|0.50", "Interruption 0% 300c|0.00|5.00"}
                                    << 2;
    QTest::newRow("class 3, 50 Hz") << 3 << 50
                                    << QStringList{"Dip 0% 0.5c|0.00|0.01",    "Dip 0% 1c|0.00|0.02",
                                                   "Dip 40% 10c|92.00|0.20",   "Dip 70% 25c|161.00|0.50",
                                                   "Dip 80% 250c|184.00|5.00", "Interruption 0% 250c|0.00|5.00"}
                                    << 0;
    QTest::newRow("class 3, 60 Hz") << 3 << 60
                                    << QStringList{"Dip 0% 0.5c|0.00|0.008",   "Dip 0% 1c|0.00|0.017",
                                                   "Dip 40% 12c|92.00|0.20",   "Dip 70% 30c|161.00|0.50",
                                                   "Dip 80% 300c|184.00|5.00", "Interruption 0% 300c|0.00|5.00"}
                                    << 2;
}

void DipTestTest::program()
{
    QFETCH(int, testClass);
    QFETCH(int, hertz);
    QFETCH(QStringList, levels);
    QFETCH(int, notices);
    DipTest::Options options;
    options.testClass = testClass;
    options.ut = 230;
    options.frequency = hertz;
    QCOMPARE(DipTest::optionsError(options), QString());
    const DipTest::Program program = DipTest::generate(options);

    // Each level at 0 and 90 degrees, three times, a gap before each event and one at the end.
    QCOMPARE(program.rows.size(), size_t(levels.size() * 2 * 3 * 2 + 1));
    const QString hz = QString::number(hertz) + QStringLiteral(".00");
    const QList<Event> events = eventsOf(program, QStringLiteral("UT 230V 10s"), "230.00", "10.00", hz);
    QCOMPARE(events.size(), levels.size() * 6);
    int at = 0;
    for (const QString &level : levels) {
        const QStringList parts = level.split(QLatin1Char('|'));
        for (int angle : {0, 90}) {
            for (int n = 1; n <= 3; ++n) {
                const Event &e = events[at++];
                QCOMPARE(e.label, QStringLiteral("%1 @%2 #%3").arg(parts[0]).arg(angle).arg(n));
                QCOMPARE(e.voltage, parts[1]);
                QCOMPARE(e.phase, QStringLiteral("%1.00").arg(angle));
                QCOMPARE(e.dwell, parts[2]);
            }
        }
    }
    // At 60 Hz half a cycle and one cycle are no whole milliseconds.
    QCOMPARE(program.notices.size(), notices);
    const QStringList said{"8.333 ms", "0.008 s", "16.667 ms", "0.017 s"};
    for (int i = 0; i < notices * 2; ++i)
        QVERIFY2(program.notices[i / 2].contains(said[i]), qPrintable(program.notices[i / 2]));

    // Other angles, one repeat, another gap and UT.
    options.angles = {45};
    options.repeats = 1;
    options.gapSeconds = 2.5;
    options.ut = 120;
    const DipTest::Program one = DipTest::generate(options);
    QCOMPARE(one.rows.size(), size_t(levels.size() * 2 + 1));
    const QList<Event> single = eventsOf(one, QStringLiteral("UT 120V 2.5s"), "120.00", "2.50", hz);
    QCOMPARE(single.size(), levels.size());
    QCOMPARE(single.constFirst().label,
             levels.constFirst().section(QLatin1Char('|'), 0, 0) + QStringLiteral(" @45"));
    QCOMPARE(single.constFirst().phase, QStringLiteral("45.00"));
    QCOMPARE(one.notices.size(), notices); // a gap of whole milliseconds: nothing to say

    // A gap finer than the dwell holds is rounded, and said so first.
    options.gapSeconds = 12.3456;
    const DipTest::Program fine = DipTest::generate(options);
    QCOMPARE(fine.notices.size(), notices + 1);
    QCOMPARE(fine.notices.constFirst(),
             QStringLiteral("the gap of 12.3456 s is no whole number of milliseconds: written as 12.346 s"));
    QCOMPARE(fine.rows.front().subItem(StepRecord::WorkTime), QStringLiteral("12.346"));
}

void DipTestTest::refused_data()
{
    QTest::addColumn<int>("testClass");
    QTest::addColumn<double>("ut");
    QTest::addColumn<int>("hertz");
    QTest::addColumn<QList<int>>("angles");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<double>("gap");
    QTest::addColumn<QString>("says");

    const QList<int> both{0, 90};
    QTest::newRow("class 1") << 1 << 230.0 << 50 << both << 3 << 10.0 << "--class";
    QTest::newRow("UT 0") << 2 << 0.0 << 50 << both << 3 << 10.0 << "--voltage";
    QTest::newRow("UT above 310") << 2 << 310.01 << 50 << both << 3 << 10.0 << "--voltage";
    QTest::newRow("UT NaN") << 2 << qQNaN() << 50 << both << 3 << 10.0 << "--voltage";
    QTest::newRow("class 3 UT 0.05: 70 % and 80 % both 0.04 V")
        << 3 << 0.05 << 50 << both << 3 << 10.0 << "--voltage (UT) of 0.05 V";
    QTest::newRow("55 Hz") << 2 << 230.0 << 55 << both << 3 << 10.0 << "--frequency";
    QTest::newRow("angle 360") << 2 << 230.0 << 50 << QList<int>{0, 360} << 3 << 10.0 << "--angles";
    QTest::newRow("angle -1") << 2 << 230.0 << 50 << QList<int>{-1} << 3 << 10.0 << "--angles";
    QTest::newRow("angle twice") << 2 << 230.0 << 50 << QList<int>{0, 90, 0} << 3 << 10.0 << "--angles holds 0";
    QTest::newRow("no angle") << 2 << 230.0 << 50 << QList<int>{} << 3 << 10.0 << "--angles";
    QTest::newRow("no repeat") << 2 << 230.0 << 50 << both << 0 << 10.0 << "--repeats";
    QTest::newRow("gap 0: a dwell that never ends") << 2 << 230.0 << 50 << both << 3 << 0.0 << "--gap";
    QTest::newRow("gap beyond the timer") << 2 << 230.0 << 50 << both << 3 << 65.536 << "--gap";
    QList<int> every;
    for (int a = 0; a < 360; ++a)
        every << a;
    QTest::newRow("more steps than a step file holds, told before they are made")
        << 2 << 230.0 << 50 << every << 10000 << 10.0 << "28800001 steps make a file of at least 1152.0 MB";
}

void DipTestTest::refused()
{
    QFETCH(int, testClass);
    QFETCH(double, ut);
    QFETCH(int, hertz);
    QFETCH(QList<int>, angles);
    QFETCH(int, repeats);
    QFETCH(double, gap);
    QFETCH(QString, says);
    const DipTest::Options options{testClass, ut, hertz, angles, repeats, gap};
    const QString error = DipTest::optionsError(options);
    QVERIFY2(error.startsWith(says), qPrintable(error));

    // The limits themselves are taken.
    QCOMPARE(DipTest::optionsError({3, 310, 60, {0, 359}, 1, 65.535}), QString());
    QCOMPARE(DipTest::optionsError({3, 0.06, 50, {0}, 1, 1}), QString());
    QCOMPARE(DipTest::optionsError({2, 0.02, 50, {0}, 1, 1}), QString());
}

// UT is written as the step file holds it, and the levels and labels come
// from what is written: the label never claims a UT the steps do not hold.
void DipTestTest::utWrittenToTwoDecimals()
{
    const DipTest::Program program = DipTest::generate({2, 230.005, 50, {0}, 1, 10.0});
    QCOMPARE(program.rows.front().label, QStringLiteral("UT 230V 10s"));
    QCOMPARE(program.rows.front().subItem(StepRecord::Voltage), QStringLiteral("230.00"));
    QCOMPARE(program.rows[5].subItem(StepRecord::Voltage), QStringLiteral("161.00")); // 70 %
    QCOMPARE(program.notices,
             QStringList{"UT of 230.005 V has more than two decimals: written as 230.00 V, and "
                         "the levels worked out from that"});
}

void DipTestTest::dwellText_data()
{
    QTest::addColumn<int>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("10 ms") << 10 << "0.01";
    QTest::newRow("8 ms") << 8 << "0.008";
    QTest::newRow("17 ms") << 17 << "0.017";
    QTest::newRow("200 ms") << 200 << "0.20";
    QTest::newRow("65.535 s") << 65535 << "65.535";
}

void DipTestTest::dwellText()
{
    QFETCH(int, ms);
    QFETCH(QString, text);
    QCOMPARE(DipTest::dwellText(ms), text);
}

QTEST_GUILESS_MAIN(DipTestTest)
#include "test_dip_test.moc"
