// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The report of a run at any length: the summary per program row, the
// steps held other than their dwell (the first 1,000), and the table of
// every step only for short runs; the text searchable as written.
#include "report/RunReport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A run of `steps` steps cycling over three rows of 10 ms; every
// `everyNth` step (0: none) held 5 ms longer.
RecordedRun runOf(int steps, int everyNth)
{
    RecordedRun run;
    run.recordPath = QStringLiteral("quorra-run-test.csv");
    run.baud = QStringLiteral("9600");
    qint64 at = 0;
    for (int i = 0; i < steps; ++i) {
        RecordedStep s;
        s.label = QStringLiteral("Step%1").arg(i % 3 + 1);
        s.voltage = QStringLiteral("230.00");
        s.frequency = QStringLiteral("50.00");
        s.startPhase = QStringLiteral("0.00");
        s.output = QStringLiteral("ON");
        s.dwellMs = 10;
        s.expectedMs = 10;
        s.startMs = at;
        s.heldMs = everyNth > 0 && i % everyNth == everyNth - 1 ? 15 : 10;
        at += s.heldMs;
        run.steps << s;
    }
    run.durationMs = at;
    return run;
}

QString pdfText(const QString &path, int *pages)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    info.waitForFinished();
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    const qsizetype at = out.indexOf(QStringLiteral("Pages:"));
    *pages = at < 0 ? -1 : out.mid(at + 6).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    text.waitForFinished();
    return QString::fromUtf8(text.readAllStandardOutput());
}
} // namespace

class RunReportTest : public QObject
{
    Q_OBJECT
private slots:
    void summary_medianAndWorst();
    void sections_followTheRunsLength_data();
    void sections_followTheRunsLength();
    void texts_fromTheRecord_readWhole();
};

void RunReportTest::summary_medianAndWorst()
{
    RecordedRun run = runOf(9, 0);
    run.steps[0].heldMs = 30; // Step1: 30, 10, 10
    run.steps[3].heldMs = 4;
    const QList<ReportRowSummary> rows = summariseRows(run);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].label, QStringLiteral("Step1"));
    QCOMPARE(rows[0].played, 3);
    QCOMPARE(rows[0].leastMs, 4);
    QCOMPARE(rows[0].medianMs, 10);
    QCOMPARE(rows[0].mostMs, 30);
    QCOMPARE(rows[0].worstDiffMs, 20);
    QVERIFY(rows[0].heldLonger);
    QVERIFY(!rows[1].heldLonger);
    QCOMPARE(differingSteps(run), (QList<qsizetype>{0, 3}));

    // A cut record: the last step's held time is unknown. It counts as
    // played and changes neither the times nor the differing steps; a row
    // played only then has no times at all.
    RecordedRun cut = runOf(4, 0);
    cut.steps[0].heldMs = 30;
    cut.steps[3].heldMs = -1;
    cut.steps.append(cut.steps[3]);
    cut.steps.last().label = QStringLiteral("Step9");
    const QList<ReportRowSummary> cutRows = summariseRows(cut);
    QCOMPARE(cutRows.size(), 4);
    QCOMPARE(cutRows[0].played, 2);
    QCOMPARE(cutRows[0].leastMs, 30);
    QCOMPARE(cutRows[0].mostMs, 30);
    QCOMPARE(cutRows[0].worstDiffMs, 20);
    QCOMPARE(cutRows[3].played, 1);
    QCOMPARE(cutRows[3].medianMs, -1);
    QVERIFY(!cutRows[3].known);
    QCOMPARE(differingSteps(cut), (QList<qsizetype>{0}));
}

void RunReportTest::sections_followTheRunsLength_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("everyNth");
    QTest::addColumn<bool>("fullTable");
    QTest::addColumn<int>("moreThanListed"); // -1: no "and N more" line
    QTest::addColumn<int>("maxPages");
    QTest::newRow("short run, every step listed") << 30 << 7 << true << -1 << 3;
    QTest::newRow("500 steps still listed") << 500 << 0 << true << -1 << 12;
    QTest::newRow("501 steps: no full table") << 501 << 0 << false << -1 << 2;
    QTest::newRow("3,000 steps held long") << 3000 << 2 << false << 500 << 18;
    QTest::newRow("an hour of 10 ms steps") << 360000 << 100 << false << 2600 << 30;
}

void RunReportTest::sections_followTheRunsLength()
{
    QFETCH(int, steps);
    QFETCH(int, everyNth);
    QFETCH(bool, fullTable);
    QFETCH(int, moreThanListed);
    QFETCH(int, maxPages);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QString error;
    QVERIFY2(writeRunReport(runOf(steps, everyNth), ReportProgram{}, path, &error), qPrintable(error));
    int pages = 0;
    const QString text = pdfText(path, &pages);
    QVERIFY2(pages >= 1 && pages <= maxPages, qPrintable(QString::number(pages)));
    QVERIFY(text.contains(QStringLiteral("Steps by program row")));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("Step1\\s+%1\\s+0\\.010").arg((steps + 2) / 3))));
    QCOMPARE(text.contains(QStringLiteral("Every step played")), fullTable);
    QCOMPARE(text.contains(QStringLiteral("the record holds every step")), moreThanListed >= 0);
    if (moreThanListed >= 0)
        QVERIFY(text.contains(QStringLiteral("and %1 more").arg(moreThanListed)));
    if (everyNth > 0 && steps >= everyNth) // the first step held longer is listed with its figures
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("%1\\s+Step\\d.*0\\.015\\s+5").arg(everyNth))));
}

// Texts from the record as the page shows them: labels with control
// characters keep the tables' columns, a long outcome wraps whole.
void RunReportTest::texts_fromTheRecord_readWhole()
{
    RecordedRun run = runOf(3, 0);
    run.steps[0].label = QStringLiteral("Esc\x1b[31mred");
    run.steps[1].label = QStringLiteral("C1") + QChar(0x85) + QStringLiteral("next");
    run.outcome = QStringLiteral("stopped by STOP; off commands not delivered; 41 bytes of commands not yet on "
                                 "the line were dropped, so the last rows did not all reach the instrument");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QString error;
    QVERIFY2(writeRunReport(run, ReportProgram{}, path, &error), qPrintable(error));
    int pages = 0;
    const QString text = pdfText(path, &pages);
    // In both tables each row's figure ends where its column's header does.
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &header : {QStringLiteral("Played"), QStringLiteral("Volt [V]")}) {
        const auto top = std::find_if(lines.begin(), lines.end(),
                                      [&](const QString &l) { return l.contains(header); });
        QVERIFY(lines.end() - top > 3);
        const qsizetype end = top->indexOf(header) + header.size();
        for (auto row = top + 1; row != top + 4; ++row)
            QVERIFY2(row->size() > end && row->at(end - 1).isDigit() && row->at(end) == QLatin1Char(' '),
                     qPrintable(*top + QLatin1Char('\n') + *row));
    }
    QVERIFY(text.contains(QStringLiteral("Esc\\x1b[31mred")));
    QVERIFY(text.contains(QStringLiteral("C1\\x85next")));
    QVERIFY(text.simplified().contains(QStringLiteral("Ended: ") + run.outcome));
}

QTEST_MAIN(RunReportTest)
#include "test_run_report.moc"
