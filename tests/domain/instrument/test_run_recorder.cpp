// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The record of a run as the recorder writes it: the CSV file (header,
// quoting, times, rows held until RUN, flushed at once), its name, and what
// becomes of it on a full disk or a file that stalls.
#include "domain/instrument/RunRecorder.h"

#include "domain/instrument/RecordWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
QStringList recordsIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList({QStringLiteral("quorra-run-*.csv")}, QDir::Files, QDir::Name);
}
} // namespace

class RunRecorderTest : public QObject
{
    Q_OBJECT
private slots:
    void rowsAsWritten_heldUntilRun_flushedAtOnce();
    void sameSecond_secondRecordGetsItsOwnFile();
    void sideFileNameTaken_neverWrittenThrough();
    void csvCell_harmlessToSpreadsheetsAndTerminals_data();
    void csvCell_harmlessToSpreadsheetsAndTerminals();
    void fullDisk_systemsWords_wholeRowsOnly_data();
    void fullDisk_systemsWords_wholeRowsOnly();
    void stalledFile_callerNeverWaits_rowsArriveInOrder();
};

void RunRecorderTest::rowsAsWritten_heldUntilRun_flushedAtOnce()
{
    QTemporaryDir dir;
    QDateTime now(QDate(2024, 5, 1), QTime(14, 3, 7, 250), Qt::OffsetFromUTC, 2 * 3600);
    RunRecorder record(dir.filePath(QStringLiteral("new/records")), [&] { return now; });
    QVERIFY2(record.begin(), qPrintable(record.errorText())); // the directory is made
    QCOMPARE(QFileInfo(record.path()).fileName(), QStringLiteral("quorra-run-20240501-140307.csv"));

    QVERIFY(record.record(QStringLiteral(":SYST:REM ")));
    now = now.addMSecs(1500);
    // Before RUN the elapsed time is not known yet: nothing but the header.
    QCOMPARE(QFileInfo(record.path()).size(), 30);
    QVERIFY(record.markRun());
    QVERIFY(record.record(QStringLiteral(":SOUR:TURN OFF")));
    now = now.addMSecs(40);
    QVERIFY(record.record(QStringLiteral(":SOUR:VOLT 1,5"), QStringLiteral("Step \"A\", 1")));

    // Readable while the record is still open: every row has been flushed.
    QVERIFY(record.flush());
    QFile file(record.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             QByteArray("time,elapsed_ms,step,command\r\n"
                        "2024-05-01T14:03:07.250+02:00,-1500,,:SYST:REM \r\n"
                        "2024-05-01T14:03:08.750+02:00,0,,:SOUR:TURN OFF\r\n"
                        "2024-05-01T14:03:08.790+02:00,40,\"Step \"\"A\"\", 1\",\":SOUR:VOLT 1,5\"\r\n"));
    QVERIFY(record.finish());

    QCOMPARE(RunRecorder::isoTime(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 7), Qt::OffsetFromUTC,
                                            -(3 * 3600 + 30 * 60))),
             QStringLiteral("2024-12-31T23:59:59.007-03:30"));
}

void RunRecorderTest::sameSecond_secondRecordGetsItsOwnFile()
{
    QTemporaryDir dir;
    const QDateTime at(QDate(2024, 5, 1), QTime(9, 0), Qt::OffsetFromUTC, 0);
    RunRecorder first(dir.path(), [&] { return at; });
    RunRecorder second(dir.path(), [&] { return at; });
    QVERIFY(first.begin());
    QVERIFY(second.begin());
    QCOMPARE(recordsIn(dir),
             QStringList({"quorra-run-20240501-090000-2.csv", "quorra-run-20240501-090000.csv"}));
}

// A side file by the record's name, or a link by that name, makes the name
// taken: the record and its side file take the next one, and what the link
// points at is left alone.
void RunRecorderTest::sideFileNameTaken_neverWrittenThrough()
{
#ifndef Q_OS_UNIX
    QSKIP("symbolic links are made here with POSIX calls");
#else
    QTemporaryDir dir;
    const QString victim = dir.filePath(QStringLiteral("victim.txt"));
    QFile v(victim);
    QVERIFY(v.open(QIODevice::WriteOnly) && v.write("mine\n") == 5);
    v.close();
    QVERIFY(QFile::link(victim, dir.filePath(QStringLiteral("quorra-run-20240501-090000.json"))));
    const QDateTime at(QDate(2024, 5, 1), QTime(9, 0), Qt::OffsetFromUTC, 0);
    RunRecorder record(dir.path(), [&] { return at; });
    record.setDetails({QStringLiteral("COM 1"), QStringLiteral("9600"), QString(), QString()});
    QVERIFY(record.begin());
    QVERIFY(record.finish());
    QCOMPARE(recordsIn(dir), QStringList{"quorra-run-20240501-090000-2.csv"});
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("quorra-run-20240501-090000-2.json"))));
    QVERIFY(v.open(QIODevice::ReadOnly));
    QCOMPARE(v.readAll(), QByteArray("mine\n"));
#endif
}

void RunRecorderTest::csvCell_harmlessToSpreadsheetsAndTerminals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cell");
    QTest::newRow("command") << ":SOUR:VOLT 110.00"
                             << ":SOUR:VOLT 110.00";
    QTest::newRow("minus inside") << "Dip -10%"
                                  << "Dip -10%";
    QTest::newRow("formula") << "=HYPERLINK(\"http://x\",\"go\")"
                             << "\"'=HYPERLINK(\"\"http://x\"\",\"\"go\"\")\"";
    QTest::newRow("minus") << "-5 V dip"
                           << "'-5 V dip";
    QTest::newRow("at") << "@SUM(A1)"
                        << "'@SUM(A1)";
    QTest::newRow("leading TAB") << "\t=1"
                                 << "'\\x09=1";
    QTest::newRow("apostrophe kept apart") << "'=1"
                                           << "''=1";
    QTest::newRow("terminal title") << "\x1b]0;owned\x07Step1"
                                    << "\\x1b]0;owned\\x07Step1";
    QTest::newRow("C1 and DEL") << QString::fromUtf16(u"A\u009b2J\u007f") << "A\\x9b2J\\x7f";
    QTest::newRow("backslash") << "C:\\x1b"
                               << "C:\\\\x1b";
}

void RunRecorderTest::csvCell_harmlessToSpreadsheetsAndTerminals()
{
    QFETCH(QString, text);
    QFETCH(QString, cell);
    QCOMPARE(RunRecorder::csvCell(text), cell);
}

void RunRecorderTest::fullDisk_systemsWords_wholeRowsOnly_data()
{
    QTest::addColumn<qint64>("room"); // bytes the file may grow to; -1: no limit
    QTest::addColumn<int>("lines");   // whole lines in the file afterwards; -1: no file
    QTest::addColumn<QString>("why");
    const qint64 header = 30, row = 49; // a row of ":SOUR:TURN OFF" at elapsed 0
    QTest::newRow("good disk") << qint64(-1) << 4 << QString();
    QTest::newRow("second row cut") << header + row + 20 << 2 << "File too large";
    QTest::newRow("header cut: no file left") << qint64(10) << -1 << "File too large";
}

void RunRecorderTest::fullDisk_systemsWords_wholeRowsOnly()
{
#ifndef Q_OS_UNIX
    QSKIP("file size limits and /dev/full are POSIX");
#else
    QFETCH(qint64, room);
    QFETCH(int, lines);
    QFETCH(QString, why);
    // A full device says so in the system's words.
    QFile full(QStringLiteral("/dev/full"));
    QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QCOMPARE(RunRecorder::writeAll(full, "row\r\n"), QStringLiteral("No space left on device"));

    // A file that can grow only so far: the row that crosses the limit is
    // written in part, the next write fails, as on a disk that fills up.
    QTemporaryDir dir;
    const QDateTime at(QDate(2024, 5, 1), QTime(9, 0), Qt::OffsetFromUTC, 0);
    RunRecorder record(dir.path(), [&] { return at; });
    rlimit before{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &before) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = before;
    limited.rlim_cur = room < 0 ? before.rlim_cur : static_cast<rlim_t>(room);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
    bool ok = record.begin();
    ok = record.markRun() && ok;
    for (int i = 0; i < 3; ++i)
        ok = record.record(QStringLiteral(":SOUR:TURN OFF")) && ok;
    ok = record.flush() && ok; // written while the limit holds
    const QString path = record.path();
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    ok = record.finish() && ok;

    QCOMPARE(ok, why.isEmpty());
    QVERIFY2(record.errorText().endsWith(why), qPrintable(record.errorText()));
    if (lines < 0) {
        QVERIFY(!QFile::exists(path));
        return;
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // Whole rows only: what got through of the cut row was taken back.
    QVERIFY(bytes.isEmpty() || bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\r\n"), lines);
#endif
}

void RunRecorderTest::stalledFile_callerNeverWaits_rowsArriveInOrder()
{
#ifndef Q_OS_UNIX
    QSKIP("a pipe stands in for a stalled disk on POSIX");
#else
    // A pipe nobody reads yet takes 64 KiB and then blocks its writer, as a
    // stalled disk would. Were the rows written by the caller, the appends
    // below would never return.
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("stalled")));
    QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    QFile file(QFile::decodeName(fifo));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QByteArray expected;
    {
        RecordWriter writer(file, 0);
        for (int i = 0; i < 200; ++i) {
            const QByteArray row = QByteArray::number(i) + ',' + QByteArray(1000, 'x') + "\r\n";
            writer.append(row);
            expected += row;
        }
        QCOMPARE(writer.failure(), QString());
        // Now the disk comes back: everything arrives, in order.
        ::fcntl(reader, F_SETFL, 0);
        QByteArray got;
        char buffer[4096];
        while (got.size() < expected.size()) {
            const ssize_t n = ::read(reader, buffer, sizeof buffer);
            QVERIFY(n > 0);
            got.append(buffer, n);
        }
        writer.drain();
        QCOMPARE(got, expected);
    }
    ::close(reader);
#endif
}

QTEST_MAIN(RunRecorderTest)
#include "test_run_recorder.moc"
