// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// A ranged field's judgement when OK is pressed: the range's edges, and a
// field that is gone. Its focus, leave and Enter are the step editor's and
// the cycle field's tests.
#include "gui/steps/RangedField.h"
#include "support/FakePlatform.h"

#include <QLineEdit>
#include <QPointer>
#include <QTest>

Q_DECLARE_METATYPE(FieldRange)

class RangedFieldTest : public QObject
{
    Q_OBJECT
private slots:
    void accepted_judgesWithoutTouching_data();
    void accepted_judgesWithoutTouching();
    void accepted_fieldGone_isFalse();
};

void RangedFieldTest::accepted_judgesWithoutTouching_data()
{
    QTest::addColumn<FieldRange>("range");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("voltage top") << FieldRanges::Voltage << "310" << true;
    QTest::newRow("voltage rounds up to top") << FieldRanges::Voltage << "309.996" << true;
    QTest::newRow("voltage just over") << FieldRanges::Voltage << "310.004" << false;
    QTest::newRow("frequency empty") << FieldRanges::Frequency << "" << false;
    QTest::newRow("dwell bottom") << FieldRanges::WorkTime << ".01" << true;
    QTest::newRow("cycle over") << FieldRanges::CycleTime << "10000" << false;
}

void RangedFieldTest::accepted_judgesWithoutTouching()
{
    QFETCH(FieldRange, range);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    FakeMessageBox messages;
    QLineEdit field(typed);
    QCOMPARE(RangedField(&field, range, messages).accepted(), accepted);
    QCOMPARE(field.text(), typed);
    QVERIFY(messages.shown.isEmpty());
}

void RangedFieldTest::accepted_fieldGone_isFalse()
{
    FakeMessageBox messages;
    QPointer<QLineEdit> gone(new QLineEdit(QStringLiteral("100")));
    delete gone.data();
    QVERIFY(!RangedField(gone, FieldRanges::Voltage, messages).accepted());
}

QTEST_MAIN(RangedFieldTest)
#include "test_ranged_field.moc"
