// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The range check's arithmetic and texts, without widgets.
#include "domain/steps/NumberText.h"
#include "gui/steps/FieldTools.h"

#include <QTest>

class FieldCheckTest : public QObject
{
    Q_OBJECT
private slots:
    void judge_data();
    void judge();
    void messages_data();
    void messages();
    void numberText_data();
    void numberText();
    void fixedText_data();
    void fixedText();
};

namespace {
struct NamedRange
{
    const char *name;
    FieldRange range;
};
const NamedRange fields[] = {
    {"voltage", FieldRanges::Voltage},        {"frequency", FieldRanges::Frequency},
    {"start phase", FieldRanges::StartPhase}, {"stop phase", FieldRanges::StopPhase},
    {"dwell", FieldRanges::WorkTime},         {"cycle", FieldRanges::CycleTime},
};
FieldRange rangeNamed(const QString &name)
{
    for (const NamedRange &f : fields)
        if (name == QLatin1String(f.name))
            return f.range;
    qFatal("no field %s", qPrintable(name));
}
} // namespace

void FieldCheckTest::judge_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("inRange");
    QTest::addColumn<QString>("result"); // new text, or the message when rejected

    struct Case
    {
        const char *field;
        const char *typed;
        bool inRange;
        const char *result;
    };
    const Case cases[] = {
        {"voltage", "", true, "0.00"},
        {"voltage", "12abc", true, "12.00"},
        {"voltage", "1,5", true, "1.00"},
        {"voltage", "1e2", true, "100.00"},
        {"voltage", "  5", true, "5.00"},
        {"voltage", "310", true, "310.00"},
        {"voltage", "310.001", false, " 0 to  310 only!"},
        {"voltage", "309.996", true, "310.00"},
        {"voltage", "310.004", false, " 0 to  310 only!"},
        {"voltage", "0.5", true, "0.50"},
        {"voltage", ".5", true, "0.50"},
        {"voltage", "-0", true, "0.00"},
        {"voltage", "-0.001", false, " 0 to  310 only!"},
        {"voltage", "110", true, "110.00"},
        {"voltage", "&HFF", true, "255.00"},
        {"voltage", "1e400", false, " 0 to  310 only!"},
        {"frequency", "", false, " 40 to  500 only!"},
        {"frequency", "40", true, "40.00"},
        {"frequency", "39.999", false, " 40 to  500 only!"},
        {"frequency", "500", true, "500.00"},
        {"frequency", "60", true, "60.00"},
        {"start phase", "360", true, "360.00"},
        {"start phase", "360.01", false, " 0 to  360 only!"},
        {"stop phase", "0", true, "0.00"},
        {"stop phase", "abc", true, "0.00"},
        {"dwell", "65.53", true, "65.53"},
        {"dwell", "65.531", false, " .01 to  65.53 only!"},
        {"dwell", "0.01", true, "0.01"},
        {"dwell", "0.005", false, " .01 to  65.53 only!"},
        {"dwell", "0.0149", true, "0.01"},
        {"dwell", "1", true, "1.00"},
        {"dwell", "", false, " .01 to  65.53 only!"},
        {"cycle", "12.6", true, "13"},
        {"cycle", "1000", true, "1,000"},
        {"cycle", "9999", true, "9,999"},
        {"cycle", "9999.4", false, " 1 to  9999 only!"}, // judged before rounding
        {"cycle", "10000", false, " 1 to  9999 only!"},
        {"cycle", "0.999", false, " 1 to  9999 only!"},
        {"cycle", "1", true, "1"},
        {"cycle", "", false, " 1 to  9999 only!"},
        // A grouped text reads only up to its comma.
        {"cycle", "1,000", true, "1"},
    };
    for (const Case &c : cases)
        QTest::addRow("%s %s", c.field, c.typed) << QString::fromLatin1(c.field) << QString::fromLatin1(c.typed)
                                                 << c.inRange << QString::fromLatin1(c.result);
    for (const NamedRange &f : fields)
        QTest::addRow("%s -1", f.name) << QString::fromLatin1(f.name) << QStringLiteral("-1") << false
                                       << ModTool::rangeMessage(f.range.minimum, f.range.maximum);
}

void FieldCheckTest::judge()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(bool, inRange);
    QFETCH(QString, result);
    const FieldRange r = rangeNamed(field);
    const ModTool::FieldCheck check = ModTool::judgeFieldText(typed, r.minimum, r.maximum, r.decimals);
    QCOMPARE(check.inRange, inRange);
    QCOMPARE(inRange ? check.text : check.message, result);
    QVERIFY(inRange ? check.message.isEmpty() : check.text.isEmpty());
}

void FieldCheckTest::messages_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("message");
    QTest::newRow("voltage") << "voltage"
                             << " 0 to  310 only!";
    QTest::newRow("frequency") << "frequency"
                               << " 40 to  500 only!";
    QTest::newRow("start phase") << "start phase"
                                 << " 0 to  360 only!";
    QTest::newRow("stop phase") << "stop phase"
                                << " 0 to  360 only!";
    QTest::newRow("dwell") << "dwell"
                           << " .01 to  65.53 only!";
    QTest::newRow("cycle") << "cycle"
                           << " 1 to  9999 only!";
}

void FieldCheckTest::messages()
{
    QFETCH(QString, field);
    QFETCH(QString, message);
    const FieldRange r = rangeNamed(field);
    QCOMPARE(ModTool::rangeMessage(r.minimum, r.maximum), message);
}

void FieldCheckTest::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << " 0";
    QTest::newRow("negative zero") << -0.0 << " 0";
    QTest::newRow("whole") << 310.0 << " 310";
    QTest::newRow("below one") << 0.01 << " .01";
    QTest::newRow("fraction") << 65.53 << " 65.53";
    QTest::newRow("negative") << -1.5 << "-1.5";
    QTest::newRow("negative below one") << -0.25 << "-.25";
    QTest::newRow("seven digits") << 1234567.8 << " 1234568";
    QTest::newRow("seven after rounding") << 2.0 / 3.0 << " .6666667";
    QTest::newRow("no trailing zeros") << 12.5000 << " 12.5";
}

void FieldCheckTest::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(::numberText(value), text);
}

void FieldCheckTest::fixedText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    QTest::newRow("two decimals") << 110.0 << 2 << "110.00";
    QTest::newRow("zero before point") << 0.5 << 2 << "0.50";
    QTest::newRow("zero") << 0.0 << 2 << "0.00";
    QTest::newRow("negative zero") << -0.0 << 2 << "0.00";
    QTest::newRow("rounds up over a digit") << 309.996 << 2 << "310.00";
    QTest::newRow("rounds down") << 0.0149 << 2 << "0.01";
    QTest::newRow("no point for none") << 12.6 << 0 << "13";
    QTest::newRow("grouped") << 1000.0 << 0 << "1,000";
    QTest::newRow("grouped twice") << 1234567.891 << 2 << "1,234,567.89";
    QTest::newRow("not grouped below 1000") << 999.0 << 0 << "999";
    QTest::newRow("half away from zero") << 0.125 << 2 << "0.13";
    QTest::newRow("negative") << -2.5 << 1 << "-2.5";
}

void FieldCheckTest::fixedText()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(::fixedText(value, decimals), text);
}

QTEST_GUILESS_MAIN(FieldCheckTest)
#include "test_field_check.moc"
