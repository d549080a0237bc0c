// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Steps as spreadsheet text: what a paste accepts and what it refuses, and
// cells a spreadsheet quotes coming back as they went out.
#include "domain/steps/StepRowsText.h"

#include <QTest>

namespace {
// A row as "label|Output|Range|...|Dwell": short enough for a table.
QStringList shown(const std::vector<StepRecord> &rows)
{
    QStringList out;
    for (const StepRecord &r : rows)
        out << (r.checked ? "" : "-") + r.label + "|" + QStringList(r.values.begin(), r.values.end()).join('|');
    return out;
}

const QString Titles = "Step\tOutput\tRange\tVoltage [ V ]\tFrequency [Hz]\tStart Phase [Deg]\t"
                       "Stop Phase [Deg]\tDwell Time [Sec]";
const QString Good = "On\tAuto\t110\t60\t0\t360\t1\r\n";
const QString Default = "|On|Auto|110.00|60.00|0.00|360.00|1.00";
} // namespace

class StepRowsTextTest : public QObject
{
    Q_OBJECT
private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void quotedCells_comeBackAsTheyWent();
    void ownSteps_keepTheirTicks_data();
    void ownSteps_keepTheirTicks();
};

void StepRowsTextTest::accepted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows"); // pasted rows are ticked; no label: labelled later
    QTest::newRow("seven cells, LF") << "On\tAuto\t110\t60\t0\t360\t1\n" << QStringList{Default};
    QTest::newRow("CR LF, no last line end") << Good + "Off\tLow\t5\t50\t90\t180\t0.5"
                                             << QStringList{Default, "|Off|Low|5.00|50.00|90.00|180.00|0.50"};
    QTest::newRow("eight cells keep labels") << "Alpha\tOn\tHigh\t310\t500\t360\t0\t65.53"
                                             << QStringList{"Alpha|On|High|310.00|500.00|360.00|0.00|65.53"};
    QTest::newRow("empty label cell") << "\t" + Good << QStringList{Default};
    QTest::newRow("eight titles") << Titles + "\r\nS\t" + Good << QStringList{"S" + Default};
    QTest::newRow("seven titles") << Titles.section('\t', 1) + "\n" + Good << QStringList{Default};
    QTest::newRow("quoted cells") << "\"Step \"\"9\"\t\"On\"\t\"Auto\"\t\"110\"\t60\t0\t360\t1"
                                  << QStringList{"Step \"9|On|Auto|110.00|60.00|0.00|360.00|1.00"};
    QTest::newRow("blank lines skipped") << "\r\n" + Good + "\t\t\t\t\t\t\t\r\n\r\n" << QStringList{Default};
    QTest::newRow("editor's form") << "On\tAuto\t 309.996 \t+40\t0.004\t.5\t1E1"
                                   << QStringList{"|On|Auto|310.00|40.00|0.00|0.50|10.00"};
    QTest::newRow("only titles") << Titles << QStringList{};
    // What a step file holds and a run plays, beyond the editor's fields.
    QTest::newRow("60 Hz cycle's dwell")
        << "On\tAuto\t110\t60\t0\t360\t0.008" << QStringList{"|On|Auto|110.00|60.00|0.00|360.00|0.008"};
    QTest::newRow("longest dwell") << "On\tAuto\t110\t60\t0\t360\t65.535"
                                   << QStringList{"|On|Auto|110.00|60.00|0.00|360.00|65.535"};
    QTest::newRow("0 ms dwell") << "On\tAuto\t110\t60\t0\t360\t0"
                                << QStringList{"|On|Auto|110.00|60.00|0.00|360.00|0.00"};
    QTest::newRow("words in any case")
        << "ON\tlow\t110\t60\t0\t360\t1\noff\tHIGH\t110\t60\t0\t360\t1"
        << QStringList{"|ON|low|110.00|60.00|0.00|360.00|1.00", "|off|HIGH|110.00|60.00|0.00|360.00|1.00"};
}

void StepRowsTextTest::accepted()
{
    QFETCH(QString, text);
    QFETCH(QStringList, rows);
    const StepRowsText::Pasted pasted = StepRowsText::parse(text);
    QCOMPARE(pasted.error, QString());
    QCOMPARE(shown(pasted.rows), rows);
}

void StepRowsTextTest::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message"); // after "Cannot paste: line N"
    const QString chars = " holds a character a step file cannot hold.";
    QTest::newRow("voltage") << Good + "On\tAuto\t310.01\t60\t0\t360\t1" << 2
                             << ", column \"Voltage [ V ]\" holds \"310.01\"; allowed: 0 to 310.";
    QTest::newRow("frequency") << "On\tAuto\t110\t39.99\t0\t360\t1" << 1
                               << ", column \"Frequency [Hz]\" holds \"39.99\"; allowed: 40 to 500.";
    QTest::newRow("start phase") << "S\tOn\tAuto\t110\t60\t-1\t360\t1" << 1
                                 << ", column \"Start Phase [Deg]\" holds \"-1\"; allowed: 0 to 360.";
    QTest::newRow("stop phase") << Good + Good + "On\tAuto\t110\t60\t0\t361\t1" << 3
                                << ", column \"Stop Phase [Deg]\" holds \"361\"; allowed: 0 to 360.";
    QTest::newRow("dwell, titles count")
        << Titles + "\nOn\tAuto\t110\t60\t0\t360\t65.536" << 2
        << ", column \"Dwell Time [Sec]\" holds \"65.536\"; allowed: 0 to 65.535.";
    QTest::newRow("dwell under a millisecond")
        << "On\tAuto\t110\t60\t0\t360\t0.0005" << 1
        << ", column \"Dwell Time [Sec]\" holds \"0.0005\", under a millisecond, which plays as 0 ms and holds the "
           "step until STOP; allowed: 0 to 65.535.";
    QTest::newRow("negative dwell") << "On\tAuto\t110\t60\t0\t360\t-0.001" << 1
                                    << ", column \"Dwell Time [Sec]\" holds \"-0.001\"; allowed: 0 to 65.535.";
    QTest::newRow("output word") << "banana\txyz\t110\t60\t0\t360\t1" << 1
                                 << ", column \"Output\" holds \"banana\"; allowed: On or Off.";
    QTest::newRow("output zero for O") << Good + "0ff\tAuto\t110\t60\t0\t360\t1" << 2
                                       << ", column \"Output\" holds \"0ff\"; allowed: On or Off.";
    QTest::newRow("range word") << "S\tOn\txyz\t110\t60\t0\t360\t1" << 1
                                << ", column \"Range\" holds \"xyz\"; allowed: Auto, Low or High.";
    QTest::newRow("empty range") << "On\t\t110\t60\t0\t360\t1" << 1
                                 << ", column \"Range\" holds \"\"; allowed: Auto, Low or High.";
    QTest::newRow("decimal comma")
        << "On\tAuto\t110\t60\t0\t360\t1,5" << 1
        << ", column \"Dwell Time [Sec]\" holds \"1,5\", which is no number; allowed: 0 to 65.535.";
    QTest::newRow("word") << "On\tAuto\tn/a\t60\t0\t360\t1" << 1
                          << ", column \"Voltage [ V ]\" holds \"n/a\", which is no number; allowed: 0 to 310.";
    QTest::newRow("beyond Latin-1") << QString("On\u2713\tAuto\t110\t60\t0\t360\t1") << 1
                                    << ", column \"Output\"" + chars;
    QTest::newRow("quoted line break") << "\"Step\n1\"\t" + Good << 1 << ", column \"Step\"" + chars;
    QTest::newRow("too few cells")
        << Good + "On\tAuto\t110" << 2
        << " has 3 cells; a step has 7 (Output to Dwell Time) or 8 (the label first).";
    QTest::newRow("step file line")
        << "True\tStep1\tOn\tAuto\t110\t60\t0\t360\t1\t" << 1
        << " has 10 cells; a step has 7 (Output to Dwell Time) or 8 (the label first).";
}

void StepRowsTextTest::refused()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QString, message);
    const StepRowsText::Pasted pasted = StepRowsText::parse(text);
    QCOMPARE(pasted.error, QString("Cannot paste: line %1").arg(line) + message);
    QCOMPARE(pasted.errorLine, line);
    QVERIFY(pasted.rows.empty());
}

void StepRowsTextTest::quotedCells_comeBackAsTheyWent()
{
    std::vector<StepRecord> rows(2, StepRecord{true, "a\"b", StepDefaults::values()});
    rows[0].label = "\"Q\" 1"; // only a cell that begins with a quote is quoted
    const QString text = StepRowsText::format(rows);
    QVERIFY(text.startsWith("\"\"\"Q\"\" 1\"\tOn\t") && text.contains("\r\na\"b\tOn\t"));
    QCOMPARE(StepRowsText::parse(text).rows, rows);
}

void StepRowsTextTest::ownSteps_keepTheirTicks_data()
{
    QTest::addColumn<QList<bool>>("ticks");
    QTest::addColumn<QString>("output"); // of the last step
    QTest::addColumn<QString>("error");
    QTest::newRow("all ticked") << QList<bool>{true, true} << "On" << QString();
    QTest::newRow("mixed") << QList<bool>{false, true, false} << "off" << QString();
    QTest::newRow("bad word, unticked")
        << QList<bool>{true, false} << "banana"
        << "Cannot paste: line 2, column \"Output\" holds \"banana\"; allowed: On or Off.";
}

void StepRowsTextTest::ownSteps_keepTheirTicks()
{
    QFETCH(QList<bool>, ticks);
    QFETCH(QString, output);
    QFETCH(QString, error);
    std::vector<StepRecord> rows;
    for (const bool tick : ticks)
        rows.push_back({tick, "S" + QString::number(rows.size()), StepDefaults::values()});
    rows.back().values[0] = output;
    rows.back().values[6] = "0.008";
    const StepRowsText::Pasted pasted = StepRowsText::parseSteps(rows);
    QCOMPARE(pasted.error, error);
    if (error.isEmpty())
        QCOMPARE(pasted.rows, rows);
    else
        QVERIFY(pasted.rows.empty());
}

QTEST_APPLESS_MAIN(StepRowsTextTest)
#include "test_step_rows_text.moc"
