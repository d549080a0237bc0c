// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// A run record read back: the recorder's own CSV and side file (port,
// baud, step file, how the run ended), cells quoted or with the apostrophe
// a spreadsheet needs, the steps grouped from their commands with the time
// each was held, and the dwell of each from the program that was played.
#include "domain/programs/RunRecordFile.h"

#include "domain/instrument/RunRecorder.h"
#include "domain/steps/StepTableModel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
StepRecord step(const QString &label, const QString &voltage, const QString &dwell)
{
    StepRecord row;
    row.checked = true;
    row.label = label;
    row.values = {"On", "Auto", voltage, "50.00", "0.00", "360.00", dwell};
    return row;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return file.fileName();
}
} // namespace

class RunRecordFileTest : public QObject
{
    Q_OBJECT
private slots:
    void recorderWritesWhatTheReaderReads();
    void cells_data();
    void cells();
    void cellsAsTheRecorderWritesThem();
    void notARecord();
    void programGivesDwells();
};

void RunRecordFileTest::recorderWritesWhatTheReaderReads()
{
    QTemporaryDir dir;
    QDateTime now(QDate(2024, 5, 1), QTime(14, 3, 7, 0), Qt::OffsetFromUTC, 3600);
    QString csv;
    {
        RunRecorder recorder(dir.path(), [&] { return now; });
        recorder.setDetails({QStringLiteral("/dev/ttyUSB0"), QStringLiteral("4800"),
                             QStringLiteral("/tmp/dips.log"), QStringLiteral("ab12")});
        QVERIFY(recorder.begin());
        csv = recorder.path();
        QVERIFY(QFile::exists(RunRecorder::sideFileFor(csv)));
        recorder.record(QStringLiteral(":SYST:REM "));
        recorder.markRun();
        recorder.record(QStringLiteral(":SOUR:TURN OFF"));
        recorder.record(QStringLiteral(":OUTP ON"));
        for (const auto &[label, volts, ms] :
             {std::tuple{"UT", "230.00", 1000}, std::tuple{"Dip", "0.00", 20}}) {
            for (const QString &c : {QStringLiteral(":SOUR:STPH 90.00"), QStringLiteral(":SOUR:FREQ 50.00"),
                                     QStringLiteral(":SOUR:RANG Auto"), QStringLiteral(":SOUR:VOLT ") + volts,
                                     QStringLiteral(":SOUR:TURN On")})
                recorder.record(c, QString::fromLatin1(label));
            now = now.addMSecs(ms);
        }
        now = now.addMSecs(20); // the last step again, before the end
        recorder.record(QStringLiteral(":SOUR:TURN OFF"));
        recorder.record(QStringLiteral(":OUTP OFF"));
        now = now.addMSecs(5);
        recorder.record(QStringLiteral(":SYST:LOC "));
        recorder.setOutcome(QStringLiteral("completed"), 1);
        QVERIFY(recorder.finish());
    }
    QString error;
    const std::optional<RecordedRun> run = readRunRecord(csv, &error);
    QVERIFY2(run, qPrintable(error));
    QCOMPARE((QStringList{run->port, run->baud, run->stepFile, run->stepFileSha256, run->outcome}),
             (QStringList{"/dev/ttyUSB0", "4800", "/tmp/dips.log", "ab12", "completed"}));
    QCOMPARE((QList<qint64>{run->stretchedSteps, run->rows, run->durationMs}), (QList<qint64>{1, 16, 1040}));
    QCOMPARE(run->runAt, QDateTime(QDate(2024, 5, 1), QTime(14, 3, 7, 0), Qt::OffsetFromUTC, 3600));
    QCOMPARE(run->runAt.msecsTo(run->endAt), qint64(1045)); // the last row
    QCOMPARE(run->steps.size(), 2);
    const RecordedStep &ut = run->steps[0], &dip = run->steps[1];
    QCOMPARE((QStringList{ut.label, ut.voltage, dip.label, dip.voltage, dip.startPhase}),
             (QStringList{"UT", "230.00", "Dip", "0.00", "90.00"}));
    // The last step until the run's end, which holds it twice.
    QCOMPARE((QList<qint64>{ut.startMs, ut.heldMs, dip.startMs, dip.heldMs}),
             (QList<qint64>{0, 1000, 1000, 40}));
}

void RunRecordFileTest::cells_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("voltages");

    const QByteArray t = "2024-05-01T14:03:07.000+00:00,";
    QTest::newRow("plain") << t + "0,S1,:SOUR:VOLT 1\r\n" + t + "0,S1,:SOUR:TURN On\r\n" + t
                                  + "5,S2,:SOUR:VOLT 2\r\n" + t + "5,S2,:SOUR:TURN On\r\n"
                           << QStringList{"S1", "S2"} << QStringList{"1", "2"};
    QTest::newRow("quoted, with a comma and quotes") << t + "0,\"Dip, \"\"deep\"\"\",\":SOUR:VOLT 1,5\"\r\n" + t
                                                            + "0,\"Dip, \"\"deep\"\"\",:SOUR:TURN On\r\n"
                                                     << QStringList{"Dip, \"deep\""} << QStringList{"1,5"};
    QTest::newRow("an apostrophe before = + - @ is taken off, before others kept")
        << t + "0,'=SUM(1),:SOUR:VOLT 1\r\n" + t + "0,'=SUM(1),:SOUR:TURN On\r\n" + t
               + "9,'-3 dB,:SOUR:VOLT 2\r\n" + t + "9,'-3 dB,:SOUR:TURN On\r\n" + t + "12,'Tis,:SOUR:VOLT 3\r\n"
               + t + "12,'Tis,:SOUR:TURN On\r\n"
        << QStringList{"=SUM(1)", "-3 dB", "'Tis"} << QStringList{"1", "2", "3"};
    QTest::newRow("the same label twice in a row is two steps")
        << t + "0,S1,:SOUR:VOLT 1\r\n" + t + "0,S1,:SOUR:TURN On\r\n" + t + "5,S1,:SOUR:VOLT 2\r\n" + t
               + "5,S1,:SOUR:TURN On\r\n"
        << QStringList{"S1", "S1"} << QStringList{"1", "2"};
    QTest::newRow("rows before RUN and LF line ends")
        << "2024-05-01T14:03:06.000+00:00,,,:SYST:REM \n" + t + "0,S1,:SOUR:VOLT 1\n" + t
               + "0,S1,:SOUR:TURN On\n"
        << QStringList{"S1"} << QStringList{"1"};
}

void RunRecordFileTest::cells()
{
    QFETCH(QByteArray, rows);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, voltages);
    QTemporaryDir dir;
    const QString csv = writeFile(dir, QStringLiteral("r.csv"), "time,elapsed_ms,step,command\r\n" + rows);
    QString error;
    const std::optional<RecordedRun> run = readRunRecord(csv, &error);
    QVERIFY2(run, qPrintable(error));
    QStringList gotLabels, gotVoltages;
    for (const RecordedStep &s : run->steps) {
        gotLabels << s.label;
        gotVoltages << s.voltage;
    }
    QCOMPARE(gotLabels, labels);
    QCOMPARE(gotVoltages, voltages);
    QVERIFY(run->port.isEmpty()); // no side file
    QCOMPARE(run->stretchedSteps, qint64(-1));
}

void RunRecordFileTest::cellsAsTheRecorderWritesThem()
{
    const QStringList labels{"=SUM(A1)", "+1",   "-3 dB",    "@home",     "'quoted",       "\tTab",
                             "\rCR",     "a\\b", "bell\x07", "back\\x41", "Dip, \"deep\"", "plain"};
    QByteArray rows;
    for (const QString &label : labels)
        for (const char *command : {":SOUR:VOLT 1", ":SOUR:TURN On"})
            rows += "2024-05-01T14:03:07.000+00:00,0," + RunRecorder::csvCell(label).toUtf8() + ','
                    + QByteArray(command) + "\r\n";
    QTemporaryDir dir;
    QString error;
    const auto run = readRunRecord(
        writeFile(dir, QStringLiteral("r.csv"), "time,elapsed_ms,step,command\r\n" + rows), &error);
    QVERIFY2(run, qPrintable(error));
    QStringList read;
    for (const RecordedStep &s : run->steps)
        read << s.label;
    QCOMPARE(read, labels);
}

void RunRecordFileTest::notARecord()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!readRunRecord(writeFile(dir, QStringLiteral("steps.log"), " 1 \r\nTrue\tS\t"), &error));
    QVERIFY2(error.contains(QLatin1String("no run record")), qPrintable(error));
    QVERIFY(!readRunRecord(dir.filePath(QStringLiteral("missing.csv")), &error));
    QVERIFY2(error.contains(QLatin1String("cannot open")), qPrintable(error));
    // What is no regular file is refused before a byte is read: a FIFO
    // would block the read, a device never end it; a record too large is
    // refused by its size (a sparse file: nothing of it is written).
#ifdef Q_OS_UNIX
    const QString fifo = dir.filePath(QStringLiteral("fifo.csv"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!readRunRecord(fifo, &error));
    QVERIFY2(error.contains(QLatin1String("it is no regular file")), qPrintable(error));
#endif
    QFile huge(dir.filePath(QStringLiteral("huge.csv")));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(MaxRecordBytes + 1));
    huge.close();
    QVERIFY(!readRunRecord(huge.fileName(), &error));
    QVERIFY2(error.contains(QLatin1String("more than the 1073.7 MB of a run record")), qPrintable(error));
}

void RunRecordFileTest::programGivesDwells()
{
    // Two cycles of A, B, then a third that stopped after A; and a record
    // that leaves the program at its fourth step.
    StepTableModel program;
    program.add(1, step(QStringLiteral("A"), QStringLiteral("230.00"), QStringLiteral("1.00")));
    program.add(2, step(QStringLiteral("B"), QStringLiteral("0.00"), QStringLiteral("0.02")));
    RecordedRun run;
    for (const char *label : {"A", "B", "A", "B", "A"}) {
        RecordedStep s;
        s.label = QString::fromLatin1(label);
        run.steps << s;
    }
    QCOMPARE(matchProgram(run, program), qint64(5));
    QList<int> dwells, expected;
    for (const RecordedStep &s : run.steps) {
        dwells << s.dwellMs;
        expected << s.expectedMs;
    }
    QCOMPARE(dwells, (QList<int>{1000, 20, 1000, 20, 1000}));
    QCOMPARE(expected, (QList<int>{1000, 40, 1000, 40, 1000})); // B held again before each rewind

    // The step a run ended in was held until what ended it: only a completed
    // run's last step has a hold the program gives.
    for (const char *outcome : {"stopped by STOP", "completed"}) {
        run.outcome = QString::fromLatin1(outcome);
        QCOMPARE(matchProgram(run, program), qint64(5));
        QCOMPARE(run.steps.last().dwellMs, 1000);
        QCOMPARE(run.steps.last().expectedMs, run.outcome == "completed" ? 1000 : -1);
        QCOMPARE(run.steps[3].expectedMs, 40);
    }
    run.outcome.clear();

    run.steps[3].label = QStringLiteral("C");
    for (RecordedStep &s : run.steps)
        s.dwellMs = s.expectedMs = -1;
    QCOMPARE(matchProgram(run, program), qint64(3));
    QCOMPARE(run.steps[3].dwellMs, -1);

    // Held longer than the program by more than the timer's unevenness.
    RecordedStep held;
    held.expectedMs = 20;
    held.heldMs = 26;
    QVERIFY(heldLonger(held));
    held.heldMs = 25;
    QVERIFY(!heldLonger(held));
    held.expectedMs = 1000;
    held.heldMs = 1020;
    QVERIFY(!heldLonger(held));
    held.heldMs = 1021;
    QVERIFY(heldLonger(held));
}

QTEST_GUILESS_MAIN(RunRecordFileTest)
#include "test_run_record_file.moc"
