// The record of a run: the CSV file as written (header, quoting, times,
// rows held until RUN, flushed at once), and the window's runs recorded
// row for row as their commands went to the port.
#include "instrument/RunRecorder.h"

#include "RunFixture.h"

#include <QDir>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
// RFC 4180 read back: rows of fields, CR LF between rows.
QList<QStringList> readCsv(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    const auto next = [&](qsizetype i) { return i + 1 < text.size() ? text[i + 1] : QChar(); };
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && next(i) == u'"')
                field += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row << std::exchange(field, {});
        } else if (c == u'\r' && next(i) == u'\n') {
            row << std::exchange(field, {});
            rows << std::exchange(row, {});
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

QStringList column(const QList<QStringList> &rows, int index)
{
    QStringList values;
    for (qsizetype i = 1; i < rows.size(); ++i) // without the header
        values << rows[i].value(index);
    return values;
}

QStringList recordsIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList({QStringLiteral("quorra-run-*.csv")}, QDir::Files, QDir::Name);
}
} // namespace

class RunRecordTest : public QObject
{
    Q_OBJECT
private slots:
    void rowsAsWritten_heldUntilRun_flushedAtOnce();
    void isoTime_data();
    void isoTime();
    void sameSecond_secondRecordGetsItsOwnFile();
    void unwritableDirectory_failsOnceAndStaysQuiet();
    void windowRun_rowsAreTheCommandsSent();
    void windowRun_recordThatFails_toldOnceRunGoesOn();
};

void RunRecordTest::rowsAsWritten_heldUntilRun_flushedAtOnce()
{
    QTemporaryDir dir;
    QDateTime now(QDate(2024, 5, 1), QTime(14, 3, 7, 250), Qt::OffsetFromUTC, 2 * 3600);
    RunRecorder record(dir.filePath(QStringLiteral("new/records")), [&] { return now; });
    QVERIFY2(record.begin(), qPrintable(record.errorText())); // the directory is made
    QCOMPARE(QFileInfo(record.path()).fileName(), QStringLiteral("quorra-run-20240501-140307.csv"));

    QVERIFY(record.record(QStringLiteral(":SYST:REM ")));
    now = now.addMSecs(1500);
    // Before RUN the elapsed time is not known yet: nothing but the header.
    QCOMPARE(readCsv(record.path()).size(), 1);
    QVERIFY(record.markRun());
    QVERIFY(record.record(QStringLiteral(":SOUR:TURN OFF")));
    now = now.addMSecs(40);
    QVERIFY(record.record(QStringLiteral(":SOUR:VOLT 1,5"), QStringLiteral("Step \"A\", 1")));

    // Readable while the record is still open: every row has been flushed.
    QFile file(record.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             QByteArray("time,elapsed_ms,step,command\r\n"
                        "2024-05-01T14:03:07.250+02:00,-1500,,:SYST:REM \r\n"
                        "2024-05-01T14:03:08.750+02:00,0,,:SOUR:TURN OFF\r\n"
                        "2024-05-01T14:03:08.790+02:00,40,\"Step \"\"A\"\", 1\",\":SOUR:VOLT 1,5\"\r\n"));
    QVERIFY(record.finish());
}

void RunRecordTest::isoTime_data()
{
    QTest::addColumn<int>("offsetSeconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("utc") << 0 << "2024-12-31T23:59:59.007+00:00";
    QTest::newRow("east") << 5 * 3600 + 45 * 60 << "2024-12-31T23:59:59.007+05:45";
    QTest::newRow("west, half hour") << -(3 * 3600 + 30 * 60) << "2024-12-31T23:59:59.007-03:30";
}

void RunRecordTest::isoTime()
{
    QFETCH(int, offsetSeconds);
    QFETCH(QString, text);
    QCOMPARE(RunRecorder::isoTime(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 7), Qt::OffsetFromUTC,
                                            offsetSeconds)),
             text);
}

void RunRecordTest::sameSecond_secondRecordGetsItsOwnFile()
{
    QTemporaryDir dir;
    const QDateTime at(QDate(2024, 5, 1), QTime(9, 0), Qt::OffsetFromUTC, 0);
    RunRecorder first(dir.path(), [&] { return at; });
    RunRecorder second(dir.path(), [&] { return at; });
    QVERIFY(first.begin());
    QVERIFY(second.begin());
    QCOMPARE(recordsIn(dir), QStringList({"quorra-run-20240501-090000-2.csv", "quorra-run-20240501-090000.csv"}));
}

void RunRecordTest::unwritableDirectory_failsOnceAndStaysQuiet()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("not-a-directory")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    RunRecorder record(blocker.fileName());
    QVERIFY(!record.begin());
    QVERIFY(record.errorText().contains(blocker.fileName()));
    QVERIFY(record.markRun());
    QVERIFY(record.record(QStringLiteral(":OUTP ON")));
    QVERIFY(record.finish());
}

void RunRecordTest::windowRun_rowsAreTheCommandsSent()
{
    QTemporaryDir dir;
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->RecordDirectory = dir.path();
    StepSpec second;
    second.startPhase = QStringLiteral("90.00");
    setSteps(*w, {StepSpec{}, second});
    w->cmdRunStop_Click();
    w->cmdReset_Click(); // between steps: no step's command
    while (fake.timer.tick()) {
    }
    QCOMPARE(w->statusText(), QStringLiteral("Now Stop"));
    w->optSystemMode_0->click(); // after the run: not in its record

    const QStringList files = recordsIn(dir);
    QCOMPARE(files.size(), 1);
    const QList<QStringList> rows = readCsv(dir.filePath(files.constFirst()));
    QCOMPARE(rows.value(0), QStringList({"time", "elapsed_ms", "step", "command"}));
    QStringList sent = fake.port.commands();
    QCOMPARE(sent.takeLast(), QStringLiteral(":SYST:LOC "));
    QCOMPARE(column(rows, 3), sent);

    // Each step's six commands carry its label; RUN's, Reset's and the end's none.
    const QStringList steps = column(rows, 2);
    QStringList expected = {"", "", "Step1", "Step1", "Step1", "Step1", "Step1", "Step1", ""};
    expected << QStringList(5, QStringLiteral("Step2")) << "" << "";
    QCOMPARE(steps, expected);
    qint64 last = 0;
    for (const QString &elapsed : column(rows, 1)) {
        QVERIFY(elapsed.toLongLong() >= last);
        last = elapsed.toLongLong();
    }

    // The next run has a record of its own.
    w->optSystemMode_1->click();
    w->cmdRunStop_Click();
    w->cmdRunStop_Click(); // STOP
    QCOMPARE(recordsIn(dir).size(), 2);
}

void RunRecordTest::windowRun_recordThatFails_toldOnceRunGoesOn()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("not-a-directory")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->RecordDirectory = blocker.fileName();
    setSteps(*w, {StepSpec{}});
    w->cmdRunStop_Click();
    while (fake.timer.tick()) {
    }
    QTest::qWait(10); // the message waits for the sending handler to finish
    QCOMPARE(fake.messages.shown.size(), 1);
    QVERIFY(fake.messages.shown[0].text.contains(QStringLiteral("goes on without it")));
    QCOMPARE(fake.port.commands().last(), QStringLiteral(":OUTP OFF"));
}

QTEST_MAIN(RunRecordTest)
#include "test_run_record.moc"
