// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The new step every caller starts from: its values, letter for letter, as
// the table, the files and the generated programs expect them.
#include "steps/StepRecord.h"

#include <QTest>

class StepRecordTest : public QObject
{
    Q_OBJECT
private slots:
    void makeDefault_data();
    void makeDefault();
    void makeDefault_copiesAreIndependent();
};

void StepRecordTest::makeDefault_data()
{
    QTest::addColumn<QString>("label");
    QTest::newRow("unlabelled") << QString();
    QTest::newRow("numbered") << StepDefaults::label(7);
    QTest::newRow("named") << QStringLiteral("UT gap");
}

void StepRecordTest::makeDefault()
{
    QFETCH(QString, label);
    const StepRecord step = StepRecord::makeDefault(label);
    QVERIFY(step.checked);
    QCOMPARE(step.label, label);
    const std::array<QString, StepRecord::FieldCount> expected = {"On",   "Auto",   "110.00", "60.00",
                                                                  "0.00", "360.00", "1.00"};
    QCOMPARE(step.values, expected);
    QCOMPARE(step.subItem(StepRecord::Voltage), QStringLiteral("110.00"));
    QCOMPARE(step.subItem(StepRecord::WorkTime), QStringLiteral("1.00"));
    QCOMPARE(StepDefaults::label(7), QStringLiteral("Step7"));
}

void StepRecordTest::makeDefault_copiesAreIndependent()
{
    // Changing one new step leaves the defaults of the next one alone.
    StepRecord first = StepRecord::makeDefault(StepDefaults::label(1));
    first.subItem(StepRecord::Voltage) = QStringLiteral("230.00");
    first.checked = false;
    const StepRecord second = StepRecord::makeDefault(StepDefaults::label(1));
    QCOMPARE(second.subItem(StepRecord::Voltage), QStringLiteral("110.00"));
    QVERIFY(second.checked);
    QVERIFY(first != second);
    QCOMPARE(second, StepRecord::makeDefault(StepDefaults::label(1)));
}

QTEST_MAIN(StepRecordTest)
#include "test_step_record.moc"
