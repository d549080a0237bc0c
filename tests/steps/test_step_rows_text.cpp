// Steps as spreadsheet text: what a copy writes, what a paste accepts and
// what it refuses.
#include "steps/StepRowsText.h"

#include <QTest>

namespace {
StepRecord step(const QString &label, const QStringList &values, bool checked = true)
{
    StepRecord r;
    r.checked = checked;
    r.label = label;
    for (int i = 0; i < StepRecord::FieldCount; ++i)
        r.values[size_t(i)] = values.value(i);
    return r;
}

const QStringList Defaults = {"On", "Auto", "110.00", "60.00", "0.00", "360.00", "1.00"};
const QString Titles = "Step\tOutput\tRange\tVoltage [ V ]\tFrequency [Hz]\tStart Phase [Deg]\t"
                       "Stop Phase [Deg]\tDwell Time [Sec]";
} // namespace

class StepRowsTextTest : public QObject
{
    Q_OBJECT
private slots:
    void format_data();
    void format();
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void roundTrip_keepsEveryCellTheSpreadsheetMayQuote();
};

void StepRowsTextTest::format_data()
{
    QTest::addColumn<std::vector<StepRecord>>("rows");
    QTest::addColumn<QString>("text");
    QTest::newRow("one row")
        << std::vector{step("Step1", Defaults)}
        << "Step1\tOn\tAuto\t110.00\t60.00\t0.00\t360.00\t1.00\r\n";
    QTest::newRow("check state is not copied")
        << std::vector{step("Step1", Defaults, false), step("A", {"Off", "Low", "1", "2", "3", "4", "5"})}
        << "Step1\tOn\tAuto\t110.00\t60.00\t0.00\t360.00\t1.00\r\n"
           "A\tOff\tLow\t1\t2\t3\t4\t5\r\n";
    QTest::newRow("a leading quote is quoted, inner quotes doubled")
        << std::vector{step("\"x\" y", Defaults)}
        << "\"\"\"x\"\" y\"\tOn\tAuto\t110.00\t60.00\t0.00\t360.00\t1.00\r\n";
    QTest::newRow("a quote inside stays as it is")
        << std::vector{step("a\"b", Defaults)}
        << "a\"b\tOn\tAuto\t110.00\t60.00\t0.00\t360.00\t1.00\r\n";
    QTest::newRow("empty cells") << std::vector{step("", {})} << "\t\t\t\t\t\t\t\r\n";
    QTest::newRow("no rows") << std::vector<StepRecord>{} << "";
}

void StepRowsTextTest::format()
{
    QFETCH(std::vector<StepRecord>, rows);
    QFETCH(QString, text);
    QCOMPARE(StepRowsText::format(rows), text);
}

void StepRowsTextTest::accepted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::vector<StepRecord>>("rows");
    const StepRecord unlabelled = step("", Defaults);
    QTest::newRow("seven cells, LF") << "On\tAuto\t110\t60\t0\t360\t1\n"
                                     << std::vector{unlabelled};
    QTest::newRow("seven cells, CR LF, no last line end")
        << "On\tAuto\t110\t60\t0\t360\t1\r\nOff\tLow\t5\t50\t90\t180\t0.5"
        << std::vector{unlabelled, step("", {"Off", "Low", "5.00", "50.00", "90.00", "180.00", "0.50"})};
    QTest::newRow("eight cells keep their labels")
        << "Alpha\tOn\tHigh\t310\t500\t360\t65.53\r\n"
        << std::vector{step("Alpha", {"On", "High", "310.00", "500.00", "360.00", "65.53"})};
    QTest::newRow("an empty label takes a counter label")
        << "\tOn\tAuto\t110\t60\t0\t360\t1\r\n" << std::vector{unlabelled};
    QTest::newRow("header of eight titles") << Titles + "\r\nS\tOn\tAuto\t110\t60\t0\t360\t1\r\n"
                                            << std::vector{step("S", Defaults)};
    QTest::newRow("header of seven titles")
        << Titles.section('\t', 1) + "\nOn\tAuto\t110\t60\t0\t360\t1\n" << std::vector{unlabelled};
    QTest::newRow("quoted cells") << "\"Step 9\"\t\"On\"\t\"Au\"\"to\"\t\"110\"\t60\t0\t360\t1\r\n"
                                  << std::vector{step("Step 9", {"On", "Au\"to", "110.00", "60.00",
                                                                 "0.00", "360.00", "1.00"})};
    QTest::newRow("blank lines are skipped")
        << "\r\nOn\tAuto\t110\t60\t0\t360\t1\r\n\t\t\t\t\t\t\t\r\n\r\n" << std::vector{unlabelled};
    QTest::newRow("numbers as the editor writes them back")
        << " 1e2\tAuto\t 309.996 \t+40\t0.004\t.5\t1E1\n"
        << std::vector{step("", {" 1e2", "Auto", "310.00", "40.00", "0.00", "0.50", "10.00"})};
    QTest::newRow("Output and Range as typed") << "ON\tauto?\t0\t40\t0\t0\t0.01\n"
                                               << std::vector{step("", {"ON", "auto?", "0.00", "40.00",
                                                                        "0.00", "0.00", "0.01"})};
    QTest::newRow("nothing but a header") << Titles + "\r\n" << std::vector<StepRecord>{};
    QTest::newRow("empty") << "" << std::vector<StepRecord>{};
}

void StepRowsTextTest::accepted()
{
    QFETCH(QString, text);
    QFETCH(std::vector<StepRecord>, rows);
    const StepRowsText::Pasted pasted = StepRowsText::parse(text);
    QCOMPARE(pasted.error, QString());
    QCOMPARE(pasted.rows.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        QCOMPARE(pasted.rows[i].label, rows[i].label);
        QCOMPARE(pasted.rows[i].values, rows[i].values);
        QVERIFY(pasted.rows[i].checked);
    }
}

void StepRowsTextTest::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");
    const QString good = "On\tAuto\t110\t60\t0\t360\t1\r\n";
    QTest::newRow("voltage above") << good + "On\tAuto\t310.01\t60\t0\t360\t1\r\n" << 2
        << "Cannot paste: line 2, column \"Voltage [ V ]\" holds \"310.01\"; allowed: 0 to 310.";
    QTest::newRow("frequency below") << "On\tAuto\t110\t39.99\t0\t360\t1" << 1
        << "Cannot paste: line 1, column \"Frequency [Hz]\" holds \"39.99\"; allowed: 40 to 500.";
    QTest::newRow("start phase negative") << "S\tOn\tAuto\t110\t60\t-1\t360\t1" << 1
        << "Cannot paste: line 1, column \"Start Phase [Deg]\" holds \"-1\"; allowed: 0 to 360.";
    QTest::newRow("stop phase above") << good + good + "On\tAuto\t110\t60\t0\t361\t1" << 3
        << "Cannot paste: line 3, column \"Stop Phase [Deg]\" holds \"361\"; allowed: 0 to 360.";
    QTest::newRow("dwell zero") << "On\tAuto\t110\t60\t0\t360\t0" << 1
        << "Cannot paste: line 1, column \"Dwell Time [Sec]\" holds \"0\"; allowed: 0.01 to 65.53.";
    QTest::newRow("decimal comma") << "On\tAuto\t110\t60\t0\t360\t1,5" << 1
        << "Cannot paste: line 1, column \"Dwell Time [Sec]\" holds \"1,5\", which is no number; "
           "allowed: 0.01 to 65.53.";
    QTest::newRow("a word for a number") << "On\tAuto\tn/a\t60\t0\t360\t1" << 1
        << "Cannot paste: line 1, column \"Voltage [ V ]\" holds \"n/a\", which is no number; "
           "allowed: 0 to 310.";
    QTest::newRow("empty number") << "On\tAuto\t\t60\t0\t360\t1" << 1
        << "Cannot paste: line 1, column \"Voltage [ V ]\" holds \"\", which is no number; "
           "allowed: 0 to 310.";
    QTest::newRow("unit after the number") << "On\tAuto\t110 V\t60\t0\t360\t1" << 1
        << "Cannot paste: line 1, column \"Voltage [ V ]\" holds \"110 V\", which is no number; "
           "allowed: 0 to 310.";
    QTest::newRow("beyond Latin-1 in Output") << QString("On\u2713\tAuto\t110\t60\t0\t360\t1") << 1
        << "Cannot paste: line 1, column \"Output\" holds a character a step file cannot hold.";
    QTest::newRow("line break in a quoted label") << "\"Step\n1\"\tOn\tAuto\t110\t60\t0\t360\t1" << 1
        << "Cannot paste: line 1, column \"Step\" holds a character a step file cannot hold.";
    QTest::newRow("tab in a quoted Range") << good + "On\t\"A\tB\"\t110\t60\t0\t360\t1" << 2
        << "Cannot paste: line 2, column \"Range\" holds a character a step file cannot hold.";
    QTest::newRow("too few cells") << good + "On\tAuto\t110" << 2
        << "Cannot paste: line 2 has 3 cells; a step has 7 (Output to Dwell Time) or 8 (the label "
           "first).";
    QTest::newRow("step file line") << "True\tStep1\tOn\tAuto\t110\t60\t0\t360\t1\t" << 1
        << "Cannot paste: line 1 has 10 cells; a step has 7 (Output to Dwell Time) or 8 (the "
           "label first).";
    QTest::newRow("header counts as a line") << Titles + "\r\nOn\tAuto\t110\t60\t0\t360\t99" << 2
        << "Cannot paste: line 2, column \"Dwell Time [Sec]\" holds \"99\"; allowed: 0.01 to 65.53.";
    QTest::newRow("a second header is a bad row") << Titles + "\r\n" + Titles << 2
        << "Cannot paste: line 2, column \"Voltage [ V ]\" holds \"Voltage [ V ]\", which is no "
           "number; allowed: 0 to 310.";
}

void StepRowsTextTest::refused()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QString, message);
    const StepRowsText::Pasted pasted = StepRowsText::parse(text);
    QCOMPARE(pasted.error, message);
    QCOMPARE(pasted.errorLine, line);
    QVERIFY(pasted.rows.empty());
}

void StepRowsTextTest::roundTrip_keepsEveryCellTheSpreadsheetMayQuote()
{
    const std::vector rows = {step("\"Q\"", {"On", "\"Low\"", "1.00", "40.00", "0.00", "0.00", "0.01"}),
                              step("a\"b", Defaults), step("Step12", Defaults)};
    const StepRowsText::Pasted pasted = StepRowsText::parse(StepRowsText::format(rows));
    QCOMPARE(pasted.error, QString());
    QCOMPARE(pasted.rows, rows);
}

QTEST_APPLESS_MAIN(StepRowsTextTest)
#include "test_step_rows_text.moc"
