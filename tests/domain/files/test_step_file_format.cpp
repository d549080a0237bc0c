// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The step file's bytes: what is written, and how every kind of line reads.
#include "StepFileTestData.h"
#include "domain/files/StepFileFormat.h"

#include <QTest>

using namespace StepFileTestData;

namespace {
// One row as "checked|label|v1|...|v7", so that a failing comparison shows
// the whole table.
QStringList describe(const std::vector<StepRecord> &rows)
{
    QStringList out;
    for (const StepRecord &r : rows) {
        QStringList cells{r.checked ? QStringLiteral("1") : QStringLiteral("0"), r.label};
        for (const QString &v : r.values)
            cells << v;
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

const QString DefaultCells = QStringLiteral("On|Auto|110.00|60.00|0.00|360.00|1.00");
const QByteArray DefaultFields = "On\tAuto\t110.00\t60.00\t0.00\t360.00\t1.00\t";
} // namespace

class StepFileFormatTest : public QObject
{
    Q_OBJECT
private slots:
    void writtenBytes_data();
    void writtenBytes();
    void writeThenRead_givesTheSameRows();
    void charactersOutsideLatin1_areWrittenAsQuestionMarks();
    void reading_data();
    void reading();
    void checkState_data();
    void checkState();
    void hugeCountOnAShortFile_reservesOnlyWhatTheFileHolds();
    void readingNotes_sayWhatIsLeftOut_data();
    void readingNotes_sayWhatIsLeftOut();
};

void StepFileFormatTest::writtenBytes_data()
{
    QTest::addColumn<std::vector<StepRecord>>("rows");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty table") << std::vector<StepRecord>{} << QByteArray(" 0 \r\n");
    QTest::newRow("the one-step example")
        << std::vector<StepRecord>{defaultRow(QStringLiteral("Step1"))} << exampleFile();
    QTest::newRow("unchecked rows, count with its blanks")
        << std::vector<StepRecord>{row(false, {QStringLiteral("Step7"), QStringLiteral("Off"),
                                               QStringLiteral("High"), QStringLiteral("1"), QStringLiteral("2"),
                                               QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")}),
                                   row(false, {}), defaultRow(QStringLiteral("Step9"))}
        << QByteArray(" 3 \r\n"
                      "False\tStep7\tOff\tHigh\t1\t2\t3\t4\t5\t\r\n"
                      "False\t\t\t\t\t\t\t\t\t\r\n"
                      "True\tStep9\t"
                      + DefaultFields + "\r\n");
    QTest::newRow("texts untrimmed, Latin-1 bytes")
        << std::vector<StepRecord>{row(true, {QStringLiteral(" S 1 "), QStringLiteral("\u00c4n"),
                                              QStringLiteral("B\u00fchne"), QStringLiteral("1,5"),
                                              QStringLiteral("\"60\""), QStringLiteral("0\u00b0"),
                                              QStringLiteral("360.00"), QStringLiteral("1.00 ")})}
        << QByteArray(" 1 \r\nTrue\t S 1 \t\xc4n\tB\xfchne\t1,5\t\"60\"\t0\xb0\t360.00\t1.00 \t\r\n");
}

void StepFileFormatTest::writtenBytes()
{
    QFETCH(std::vector<StepRecord>, rows);
    QFETCH(QByteArray, bytes);
    QCOMPARE(StepFileFormat::format(rows), bytes);
}

void StepFileFormatTest::writeThenRead_givesTheSameRows()
{
    const std::vector<StepRecord> rows = {
        defaultRow(QStringLiteral("Step1")),
        row(false,
            {QStringLiteral("Step2"), QStringLiteral("Off"), QStringLiteral("Low"), QStringLiteral("1,25"),
             QStringLiteral("60,00"), QStringLiteral("\"0\""), QStringLiteral("'360'"), QStringLiteral("0.5")}),
        row(true, {QStringLiteral("Schritt \u00e4\u00f6\u00fc\u00df"), QStringLiteral("\u00c9teint"),
                   QStringLiteral("\u00b5"), QStringLiteral(" 110 "), QStringLiteral(""),
                   QStringLiteral("\u00ff"), QStringLiteral("a\"b,c"), QStringLiteral("1.00")}),
        row(false,
            {QStringLiteral("Step2"), QStringLiteral("Off"), QStringLiteral("Low"), QStringLiteral("1,25"),
             QStringLiteral("60,00"), QStringLiteral("\"0\""), QStringLiteral("'360'"), QStringLiteral("0.5")}),
        row(false, {}),
    };
    QCOMPARE(describe(StepFileFormat::parse(StepFileFormat::format(rows))), describe(rows));
    QVERIFY(StepFileFormat::parse(StepFileFormat::format(rows)) == rows);
    QVERIFY(StepFileFormat::parse(StepFileFormat::format({})).empty());
}

void StepFileFormatTest::charactersOutsideLatin1_areWrittenAsQuestionMarks()
{
    // An 8-bit file cannot hold them; the rest of the cell survives.
    const std::vector<StepRecord> rows = {
        row(true, {QStringLiteral("Step\u20ac1"), QStringLiteral("\u041e\u043d")})};
    const QByteArray bytes = StepFileFormat::format(rows);
    QCOMPARE(bytes, QByteArray(" 1 \r\nTrue\tStep?1\t??\t\t\t\t\t\t\t\r\n"));
    QCOMPARE(StepFileFormat::parse(bytes).front().label, QStringLiteral("Step?1"));
}

void StepFileFormatTest::reading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");

    const QByteArray example = "True\tStep1\t" + DefaultFields + "\r\n";
    const QString step1 = QStringLiteral("1|Step1|") + DefaultCells;

    QTest::newRow("the example file") << exampleFile() << QStringList{step1};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("count 0") << QByteArray(" 0 \r\n") << QStringList{};
    QTest::newRow("count without blanks") << "1\r\n" + example << QStringList{step1};
    QTest::newRow("count with extra blanks") << "   1    \r\n" + example << QStringList{step1};
    QTest::newRow("count line a word") << "Hello\r\n" + example << QStringList{};
    QTest::newRow("count line empty") << "\r\n" + example << QStringList{};
    QTest::newRow("count line negative") << " -1 \r\n" + example << QStringList{};
    QTest::newRow("count line a fraction") << " 1.5 \r\n" + example << QStringList{};
    QTest::newRow("count with text after it") << " 1 x\r\n" + example << QStringList{};
    QTest::newRow("count less than the lines")
        << " 1 \r\n" + example + QByteArray(example).replace("Step1", "Step2") << QStringList{step1};
    QTest::newRow("tenth and later fields ignored")
        << " 1 \r\nTrue\tStep1\t" + DefaultFields + "extra\tmore\t\r\n"
        << QStringList{step1};
    QTest::newRow("text after the last TAB ignored")
        << QByteArray(" 1 \r\nTrue\tS\tOn\tAuto\t1\t2\t3\t4\t5\tno tab here\r\n")
        << QStringList{QStringLiteral("1|S|On|Auto|1|2|3|4|5")};
    QTest::newRow("last field without its TAB is not loaded")
        << QByteArray(" 1 \r\nTrue\tS\tOn\tAuto\t1\t2\t3\t4\t5\r\n")
        << QStringList{QStringLiteral("1|S|On|Auto|1|2|3|4|")};
    QTest::newRow("commas and quotes are ordinary text")
        << QByteArray(" 1 \r\nFalse\t\"S,1\"\tOn\t\"A\tB,C\t\"\t2,5\t,\t\"\t\t\r\n")
        << QStringList{QStringLiteral("0|\"S,1\"|On|\"A|B,C|\"|2,5|,|\"")};
    QTest::newRow("labels loaded as they stand")
        << QByteArray(" 2 \r\nTrue\tStep1\t\t\t\t\t\t\t\t\r\nTrue\tStep1\t\t\t\t\t\t\t\t\r\n")
        << QStringList{QStringLiteral("1|Step1|||||||"), QStringLiteral("1|Step1|||||||")};
    QTest::newRow("Latin-1 bytes") << QByteArray(" 1 \r\nTrue\t\xc4\xd6\xdc\t\xb5\t\xff\t\t\t\t\t\t\r\n")
                                   << QStringList{QStringLiteral("1|\u00c4\u00d6\u00dc|\u00b5|\u00ff|||||")};

    // Short records and short files: nothing is made up.
    QTest::newRow("short record leaves missing cells empty")
        << " 2 \r\n" + example + "False\tStep2\tOff\t\r\n"
        << QStringList{step1, QStringLiteral("0|Step2|Off||||||")};
    QTest::newRow("record without any TAB is an empty unchecked row")
        << " 2 \r\n" + example + "True\r\n"
        << QStringList{step1, QStringLiteral("0||||||||")};
    QTest::newRow("blank line is an empty unchecked row")
        << " 3 \r\n" + example + "\r\n" + example << QStringList{step1, QStringLiteral("0||||||||"), step1};
    QTest::newRow("file ends before the count") << " 5 \r\n" + example << QStringList{step1};
    QTest::newRow("count line only, no line end") << QByteArray(" 4 ") << QStringList{};
    QTest::newRow("count 2147483647 on a three-line file")
        << " 2147483647 \r\n" + example + example << QStringList{step1, step1};
    QTest::newRow("count beyond 64 bits") << " 99999999999999999999999999 \r\n" + example << QStringList{step1};

    // Line ends of other systems.
    QTest::newRow("LF line ends") << " 2 \n" + QByteArray(example).replace("\r\n", "\n") + "True\tS2\t\n"
                                  << QStringList{step1, QStringLiteral("1|S2|||||||")};
    QTest::newRow("CR line ends") << " 2 \r" + QByteArray(example).replace("\r\n", "\r") + "True\tS2\t\r"
                                  << QStringList{step1, QStringLiteral("1|S2|||||||")};
    QTest::newRow("last record without line end")
        << " 1 \r\nTrue\tStep1\t" + DefaultFields << QStringList{step1};
}

void StepFileFormatTest::reading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QCOMPARE(describe(StepFileFormat::parse(bytes)), rows);
}

void StepFileFormatTest::checkState_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<bool>("checked");

    QTest::newRow("True") << QByteArray("True") << true;
    QTest::newRow("TRUE") << QByteArray("TRUE") << true;
    QTest::newRow("true") << QByteArray("true") << true;
    QTest::newRow("tRuE with blanks") << QByteArray(" tRuE ") << true;
    QTest::newRow("False") << QByteArray("False") << false;
    QTest::newRow("FALSE") << QByteArray("FALSE") << false;
    QTest::newRow("1") << QByteArray("1") << true;
    QTest::newRow("-1") << QByteArray("-1") << true;
    QTest::newRow("0.5") << QByteArray("0.5") << true;
    QTest::newRow("2E3") << QByteArray("2E3") << true;
    QTest::newRow("+7d-1") << QByteArray("+7d-1") << true;
    QTest::newRow("0") << QByteArray("0") << false;
    QTest::newRow("-0.000") << QByteArray("-0.000") << false;
    QTest::newRow("0E5") << QByteArray("0E5") << false;
    QTest::newRow("yes") << QByteArray("yes") << false;
    QTest::newRow("Truest") << QByteArray("Truest") << false;
    QTest::newRow("1abc") << QByteArray("1abc") << false;
    QTest::newRow("1e") << QByteArray("1e") << false;
    QTest::newRow(".") << QByteArray(".") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void StepFileFormatTest::checkState()
{
    QFETCH(QByteArray, field);
    QFETCH(bool, checked);
    QCOMPARE(StepFileFormat::checkState(field), checked);

    // The same text as field 1 of a record line, with the rest loaded.
    const auto rows = StepFileFormat::parse(" 1 \r\n" + field + "\tL\tOn\t\r\n");
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows.front().checked, checked);
    QCOMPARE(rows.front().label, QStringLiteral("L"));
    QCOMPARE(rows.front().values[0], QStringLiteral("On"));
}

void StepFileFormatTest::hugeCountOnAShortFile_reservesOnlyWhatTheFileHolds()
{
    const auto rows = StepFileFormat::parse(" 2147483647 \r\nTrue\tA\t\r\nFalse\tB\t\r\n");
    QCOMPARE(rows.size(), size_t(2));
    QVERIFY2(rows.capacity() <= 3, "the count alone must not size the table");
}

void StepFileFormatTest::readingNotes_sayWhatIsLeftOut_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("notes");
    const QByteArray record = "True\tStep1\t" + DefaultFields;
    const QByteArray untabbed = record.chopped(1); // the dwell without its TAB
    QTest::newRow("as written") << exampleFile() << QStringList{};
    QTest::newRow("an empty table") << QByteArray(" 0 \r\n") << QStringList{};
    QTest::newRow("empty file") << QByteArray() << QStringList{"the file is empty: it holds no steps"};
    QTest::newRow("a byte order mark")
        << QByteArray("\xEF\xBB\xBF 1 \r\n" + record + "\r\n")
        << QStringList{
               "its first line begins with a UTF-8 byte order mark, so it does not read as the number of "
               "steps, and no step is read (save it as ANSI or Latin-1 text)"};
    QTest::newRow("another text") << QByteArray("# Notes\x1b[2J\r\n")
                                  << QStringList{
                                         "its first line, \"# Notes\\x1b[2J\", is not the number of steps, "
                                         "so no step is read"};
    const auto untabbedNote = [](int line) {
        return QStringLiteral(
                   "line %1 holds 8 of the nine fields that each end in a TAB; the text after its last "
                   "TAB, \"1.00\", is not read, and the step's missing cells are empty")
            .arg(line);
    };
    QTest::newRow("the dwell without its TAB")
        << QByteArray(" 2 \r\n" + record + "\r\n" + untabbed + "\r\n") << QStringList{untabbedNote(3)};
    QTest::newRow("many such lines: three, then a count")
        << QByteArray(" 5 \r\n" + (untabbed + "\r\n").repeated(5))
        << QStringList{untabbedNote(2), untabbedNote(3), untabbedNote(4), "2 more lines like these"};
    QTest::newRow("more lines than the count")
        << QByteArray(" 1 \r\n" + record + "\r\n" + record + "\r\n" + record + "\r\n\r\n")
        << QStringList{"its first line gives 1 step, and 2 more lines follow them: they are not read"};
    QTest::newRow("fewer lines than the count")
        << QByteArray(" 3 \r\n" + record + "\r\n")
        << QStringList{"its first line gives 3 steps, but only 1 line follows it"};
    QTest::newRow("a line end converted twice")
        << QByteArray(" 2 \r\r\n" + record + "\r\r\n" + record + "\r\r\n")
        << QStringList{
               "its lines end in CR CR LF (a line end converted twice), so each record is followed by an "
               "empty line that is read as a step of its own",
               "line 2 is empty: its step's cells are empty",
               "its first line gives 2 steps, and 1 more line follows them: it is not read"};
}

// The tools that read a program without a window say what the reading left
// out; every note matches what parse() made of the same bytes.
void StepFileFormatTest::readingNotes_sayWhatIsLeftOut()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, notes);
    QCOMPARE(StepFileFormat::readingNotes(bytes), notes);
}

QTEST_MAIN(StepFileFormatTest)
#include "test_step_file_format.moc"
