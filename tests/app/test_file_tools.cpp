// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// quorra --generate, --check, --plot and --report: the program itself, run
// as a script runs it. Refused arguments write nothing; the check of a
// program agrees with a real run of it on a pseudo-terminal read at the
// line's rate; pictures and reports are files that their readers take.
#include "domain/files/StepFileFormat.h"
#include "domain/programs/DipTest.h"
#include "sim/source/LineRateReader.h"
#include "support/PtyPair.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {
struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

StepRecord step(const QString &label, const QString &voltage, const QString &phase, const QString &dwell)
{
    StepRecord row;
    row.checked = true;
    row.label = label;
    row.values = {"On", "Auto", voltage, "50.00", phase, "360.00", dwell};
    return row;
}

QString writeSteps(const QString &path, const std::vector<StepRecord> &rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(StepFileFormat::format(rows)) < 0)
        return {};
    return path;
}

// A program with steps too short for their commands at 9600 baud (63 or
// 80 characters: 66 or 83 ms) between steps with room to spare.
std::vector<StepRecord> tightProgram()
{
    return {step("UT", "230.00", "0.00", "0.30"), step("Dip 0% 10ms", "0.00", "0.00", "0.01"),
            step("UT", "230.00", "0.00", "0.30"), step("Dip 40% 30ms @90", "92.00", "90.00", "0.03"),
            step("UT", "230.00", "0.00", "0.30"), step("Dip 70% 150ms", "161.00", "0.00", "0.15"),
            step("UT", "230.00", "0.00", "0.30")};
}

// A tool of poppler-utils, which the tests need.
QString popplerOutput(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pdfPages(const QString &path)
{
    const QString info = popplerOutput(QStringLiteral("pdfinfo"), {path});
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The steps of a record as its rows show them, read here on their own:
// a step begins with its frequency command, which every step sends once.
struct RowStep
{
    QString label;
    QString voltage;
    qint64 startMs = 0;
    qint64 heldMs = 0;
};

QList<RowStep> rowSteps(const QString &csv)
{
    QFile file(csv);
    QList<RowStep> steps;
    if (!file.open(QIODevice::ReadOnly))
        return steps;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n")).mid(1)) {
        const QStringList f = line.split(QLatin1Char(',')); // no cell here needs quotes
        if (f.size() != 4 || f[1].isEmpty())
            continue;
        // A step starts with its first command (its phase commands, where
        // they changed), and the labels of this program are all different.
        const qint64 ms = f[1].toLongLong();
        const bool ends = !steps.isEmpty() && f[2].isEmpty() && f[3] == QLatin1String(":SOUR:TURN OFF");
        const bool starts = !f[2].isEmpty() && (steps.isEmpty() || steps.last().label != f[2]);
        if (!steps.isEmpty() && (ends || starts))
            steps.last().heldMs = ms - steps.last().startMs;
        if (ends)
            break;
        if (starts)
            steps.append({f[2], {}, ms, 0});
        else if (f[3].startsWith(QLatin1String(":SOUR:VOLT ")) && !steps.isEmpty())
            steps.last().voltage = f[3].mid(11);
    }
    return steps;
}
// A record of two steps as the recorder writes it, the second cut off
// before the run's end; whole adds the end of the run.
QByteArray recordRows(bool whole)
{
    QByteArray csv = "time,elapsed_ms,step,command\r\n"
                     "2026-12-08T05:00:00.000Z,,,:SYST:LOC \r\n"
                     "2026-12-08T05:00:00.100Z,0,,:SOUR:TURN OFF\r\n"
                     "2026-12-08T05:00:00.100Z,0,,:OUTP ON\r\n"
                     "2026-12-08T05:00:00.100Z,0,S1,:SOUR:FREQ 50.00\r\n"
                     "2026-12-08T05:00:00.100Z,0,S1,:SOUR:VOLT 230.00\r\n"
                     "2026-12-08T05:00:00.100Z,0,S1,:SOUR:TURN ON\r\n"
                     "2026-12-08T05:00:01.100Z,1000,S2,:SOUR:FREQ 50.00\r\n"
                     "2026-12-08T05:00:01.100Z,1000,S2,:SOUR:VOLT 0.00\r\n"
                     "2026-12-08T05:00:01.100Z,1000,S2,:SOUR:TURN ON\r\n";
    if (whole)
        csv += "2026-12-08T05:00:02.100Z,2000,,:SOUR:TURN OFF\r\n"
               "2026-12-08T05:00:02.100Z,2000,,:OUTP OFF\r\n";
    return csv;
}

bool writeRecord(const QString &csvPath, const QByteArray &csv, const QString &stepFile)
{
    QFile file(csvPath), side(csvPath.chopped(4) + QStringLiteral(".json"));
    const QByteArray json = "{\"port\":\"COM 1\",\"baud\":\"9600\",\"stepFile\":\"" + stepFile.toUtf8()
                            + "\",\"outcome\":\"completed\",\"stretchedSteps\":0}";
    return file.open(QIODevice::WriteOnly) && file.write(csv) == csv.size() && side.open(QIODevice::WriteOnly)
           && side.write(json) == json.size();
}
} // namespace

class FileToolsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void generate_data();
    void generate();
    void refused_data();
    void refused();
    void checkStatus_data();
    void checkStatus();
    void plotFiles_data();
    void plotFiles();
    void plotOfNothing_data();
    void plotOfNothing();
    void fullDisk_data();
    void fullDisk();
    void damagedRecord_data();
    void damagedRecord();
    void reportOfAProgramThatCannotBeRead_nothingWritten();
    void checkAgreesWithPacedRun_reportOfTheRun();

private:
    Outcome run(const QStringList &arguments, int timeoutMs = 30000);

    QTemporaryDir m_dir;
};

void FileToolsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(!writeSteps(m_dir.filePath(QStringLiteral("many.log")),
                        std::vector<StepRecord>(101, step("S", "230.00", "0.00", "1.00")))
                 .isEmpty());
    for (const char *tool : {"pdfinfo", "pdftotext"})
        QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(),
                 "the tests need pdfinfo and pdftotext: apt-get install poppler-utils");
}

Outcome FileToolsTest::run(const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    // No display and no platform chosen: drawing needs neither.
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(QUORRA_EXECUTABLE), arguments);
    if (!process.waitForStarted())
        return {};
    QElapsedTimer since;
    since.start();
    while (process.state() != QProcess::NotRunning && since.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        process.waitForFinished(10);
    }
    Outcome outcome;
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    outcome.err = QString::fromLocal8Bit(process.readAllStandardError());
    return outcome;
}

void FileToolsTest::generate_data()
{
    QTest::addColumn<int>("testClass");
    QTest::addColumn<int>("hertz");
    QTest::addColumn<int>("notes"); // besides the line's, which every program gets
    QTest::newRow("class 2, 50 Hz") << 2 << 50 << 0;
    QTest::newRow("class 3, 60 Hz") << 3 << 60 << 2;
}

void FileToolsTest::generate()
{
    QFETCH(int, testClass);
    QFETCH(int, hertz);
    QFETCH(int, notes);
    const QString file = m_dir.filePath(QStringLiteral("generated-%1-%2.log").arg(testClass).arg(hertz));
    const Outcome outcome = run({"--generate", "iec61000-4-11", "--class", QString::number(testClass),
                                 "--voltage", "230", "--frequency", QString::number(hertz), "--angles", "0,270",
                                 "--repeats", "2", "--gap", "5", "--output", file});
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.err, QString());
    const DipTest::Program expected = DipTest::generate({testClass, 230, hertz, {0, 270}, 2, 5});
    QCOMPARE(outcome.out.count(QLatin1String("Note: ")), notes + 1);
    // Half a cycle and a cycle (two angles, twice) are shorter than the
    // commands of a step take at 9600 baud.
    QVERIFY2(outcome.out.contains(QStringLiteral("Note: at 9600 baud 8 of the %1 steps need longer on the line "
                                                 "than their dwell: their events last longer than the standard "
                                                 "asks, from Dip 0% 0.5c @0 #1")
                                      .arg(expected.rows.size())),
             qPrintable(outcome.out));
    QVERIFY(outcome.out.contains(QStringLiteral("quorra --check %1 lists them").arg(file)));
    // The file is the program's own format, with what the generator makes.
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), StepFileFormat::format(expected.rows));
    QVERIFY(outcome.out.contains(QStringLiteral("Wrote %1 steps").arg(expected.rows.size())));
}

void FileToolsTest::refused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("says");
    const QStringList dips{"--generate", "iec61000-4-11", "--class", "2", "--frequency",
                           "50",         "--output",      "out.log"};
    QTest::newRow("UT above 310") << dips + QStringList{"--voltage", "311"} << "--voltage";
    QTest::newRow("UT negative") << dips + QStringList{"--voltage", "-5"} << "--voltage";
    QTest::newRow("UT no number") << dips + QStringList{"--voltage", "230V"} << "--voltage";
    QTest::newRow("no UT") << dips << "--generate needs --voltage";
    QTest::newRow("55 Hz") << QStringList{"--generate", "iec61000-4-11", "--class", "2",        "--frequency",
                                          "55",         "--voltage",     "230",     "--output", "out.log"}
                           << "--frequency";
    QTest::newRow("angle 360") << dips + QStringList{"--voltage", "230", "--angles", "0,360"} << "--angles";
    QTest::newRow("angle twice") << dips + QStringList{"--voltage", "230", "--angles", "0,0,90"}
                                 << "--angles holds 0 twice";
    QTest::newRow("UT whose levels look alike")
        << dips + QStringList{"--voltage", "0.01"} << "the lowest UT for class 2 is 0.02 V";
    QTest::newRow("angle 12.5") << dips + QStringList{"--voltage", "230", "--angles", "12.5"} << "--angles";
    QTest::newRow("gap beyond 65.535 s") << dips + QStringList{"--voltage", "230", "--gap", "70"} << "--gap";
    QTest::newRow("another standard") << QStringList{"--generate", "iec61000-4-34", "--class",
                                                     "2",          "--frequency",   "50",
                                                     "--voltage",  "230",           "--output",
                                                     "out.log"}
                                      << "--generate knows";
    QTest::newRow("no output") << QStringList{"--generate", "iec61000-4-11", "--class", "2", "--frequency",
                                              "50",         "--voltage",     "230"}
                               << "--output";
    QTest::newRow("two tools at once")
        << QStringList{"--check", "a.log", "--plot", "a.log", "--output", "out.png"} << "go one at a time";
    QTest::newRow("plot to a picture it cannot draw")
        << QStringList{"--plot", "a.log", "--output", "out.log"} << ".png, .svg or .pdf";
    QTest::newRow("report to a picture")
        << QStringList{"--report", "r.csv", "--output", "r.png"} << ".pdf file";
    QTest::newRow("report without a suffix")
        << QStringList{"--report", "r.csv", "--output", "report"} << ".pdf file";
    QTest::newRow("more steps than a picture holds")
        << QStringList{"--plot", "many.log", "--output", "many.png", "--cycles", "9999"}
        << "more than the 1000000";
    QTest::newRow("more steps than a step file holds")
        << QStringList{"--generate", "iec61000-4-11", "--class",  "3",        "--frequency",
                       "50",         "--voltage",     "230",      "--angles", "0,90,180,270",
                       "--repeats",  "10000",         "--output", "huge.log"}
        << "480001 steps make a file of at least 19.2 MB, more than the 16.8 MB";
    QTest::newRow("more steps than a step file holds, found once made")
        << QStringList{"--generate", "iec61000-4-11", "--class",  "3",        "--frequency",
                       "50",         "--voltage",     "230",      "--angles", "0,90,180",
                       "--repeats",  "10000",         "--output", "huge.log"}
        << "360001 steps make a file of 2";
    QTest::newRow("--class without --generate") << QStringList{"--check", "a.log", "--class", "2"} << "--class";
    QTest::newRow("--run --report without a record") << QStringList{"--run", "a.log", "--report"} << "--record";
}

void FileToolsTest::refused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, says);
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.exitCode, 2);
    QVERIFY2(outcome.err.contains(says), qPrintable(outcome.err));
    QCOMPARE(outcome.out, QString());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before); // nothing written
}

void FileToolsTest::checkStatus_data()
{
    QTest::addColumn<QByteArray>("program"); // the file's bytes; null: no file
    QTest::addColumn<QString>("baud");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    const auto program = [](const QString &label, const QString &voltage, const QString &dwell) {
        return StepFileFormat::format(
            {step("A", "230.00", "0.00", "1.00"), step(label, voltage, "0.00", dwell)});
    };
    const QByteArray written = program("B", "0.00", "1.00");
    QTest::newRow("every step in time")
        << program("B", "0.00", "0.10") << "9600" << 0 << "Every step can be played as written at 9600 baud";
    QTest::newRow("too short at 9600")
        << program("B", "0.00", "0.05") << "9600" << 1 << "step 2  B  dwell 0.050 s  line 0.066 s";
    QTest::newRow("too short at 1200")
        << program("B", "0.00", "0.10") << "1200" << 1 << "step 2  B  dwell 0.100 s  line 0.525 s";
    QTest::newRow("a dwell the timer cannot hold")
        << program("B", "0.00", "70.00") << "9600" << 2 << "outside 0 to 65.535";
    QTest::newRow("no such file") << QByteArray() << "9600" << 2 << "Can't open file: ";
    // Files the reader takes as no program, or only in part: said on the
    // way, and a file of no steps at all cannot be checked.
    QTest::newRow("a byte order mark") << "\xEF\xBB\xBF" + written << "9600" << 2 << "UTF-8 byte order mark";
    QTest::newRow("an empty table") << QByteArray(" 0 \r\n") << "9600" << 2
                                    << "holds no steps: a run plays nothing";
    // A label that clears a terminal and sets its title is shown, never
    // acted on: listed on standard output, named in a refusal on standard error.
    const QString controls = QStringLiteral("\x1b[2J\x1b]0;owned\x07");
    QTest::newRow("controls in a listed label")
        << program(controls, "0.00", "0.02") << "9600" << 1 << "\\x1b[2J\\x1b]0;owned\\x07  dwell 0.020 s";
    QTest::newRow("controls in a refused label")
        << program(controls, "999.00", "1.00") << "9600" << 2 << "\\x1b[2J\\x1b]0;owned\\x07 (row 2)";
}

void FileToolsTest::checkStatus()
{
    QFETCH(QByteArray, program);
    QFETCH(QString, baud);
    QFETCH(int, status);
    QFETCH(QString, says);
    const QString file = m_dir.filePath(program.isNull() ? QStringLiteral("missing.log")
                                                         : QStringLiteral("check.log"));
    if (!program.isNull()) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(program) == program.size());
    }
    const Outcome outcome = run({"--check", file, "--baud", baud});
    QCOMPARE(outcome.exitCode, status);
    QVERIFY2((outcome.out + outcome.err).contains(says), qPrintable(outcome.out + outcome.err));
    QVERIFY(!(outcome.out + outcome.err).contains(QChar(0x1b)));
    if (status < 2)
        QVERIFY2(outcome.out.contains(QLatin1String("Expected length: ")), qPrintable(outcome.out));
}

void FileToolsTest::plotFiles_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("png") << "png";
    QTest::newRow("svg") << "svg";
    QTest::newRow("pdf") << "pdf";
}

void FileToolsTest::plotFiles()
{
    QFETCH(QString, suffix);
    // A name and a label that XML must escape, or cannot hold at all.
    std::vector<StepRecord> rows = tightProgram();
    rows.front().label = QStringLiteral("<Step1> \x07");
    const QString program = writeSteps(m_dir.filePath(QStringLiteral("R&D plot.log")), rows);
    const QString picture = m_dir.filePath(QStringLiteral("plot.") + suffix);
    const Outcome outcome = run({"--plot", program, "--output", picture, "--cycles", "2"});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY(QFileInfo(picture).size() > 0);
    if (suffix == QLatin1String("png")) {
        const QImage image(picture);
        QCOMPARE(image.size(), QSize(1600, 800));
        // Something other than white was drawn: the step line's blue.
        bool blue = false;
        for (int x = 0; x < image.width() && !blue; x += 2)
            for (int y = 0; y < image.height() && !blue; ++y)
                blue = image.pixelColor(x, y) == QColor(31, 92, 170);
        QVERIFY(blue);
    } else if (suffix == QLatin1String("svg")) {
        QFile file(picture);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QStringList elements, texts;
        QString title;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            elements << xml.name().toString();
            if (xml.name() == QLatin1String("title"))
                title = xml.readElementText();
            else if (xml.name() == QLatin1String("text"))
                texts << xml.readElementText(QXmlStreamReader::IncludeChildElements);
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(elements.value(0), QStringLiteral("svg"));
        QCOMPARE(title, QStringLiteral("R&D plot.log"));
        QVERIFY2(texts.contains(QStringLiteral("<Step1> \\x07")), qPrintable(texts.join(QLatin1Char('|'))));
        QVERIFY(elements.count(QStringLiteral("text")) > 10); // axes and labels
    } else {
        QCOMPARE(pdfPages(picture), 1);
        const QString text = popplerOutput(QStringLiteral("pdftotext"), {picture, QStringLiteral("-")});
        QVERIFY2(text.contains(QLatin1String("Voltage [V]")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("4 held longer than their dwell at 9600 baud")), qPrintable(text));
    }
}

void FileToolsTest::plotOfNothing_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("dwell");
    QTest::addColumn<QString>("says");
    QTest::newRow("every step unchecked") << false << "1.00"
                                          << "No step is checked";
    QTest::newRow("first step 0 ms") << true << "0.00"
                                     << "A has a dwell of 0 ms";
    QTest::newRow("a step that plays") << true << "1.00"
                                       << "Time from RUN [s]";
}

void FileToolsTest::plotOfNothing()
{
    QFETCH(bool, checked);
    QFETCH(QString, dwell);
    QFETCH(QString, says);
    std::vector<StepRecord> rows{step("A", "230.00", "0.00", dwell), step("B", "0.00", "0.00", "1.00")};
    for (StepRecord &row : rows)
        row.checked = checked;
    const QString program = writeSteps(m_dir.filePath(QStringLiteral("nothing.log")), rows);
    const QString picture = m_dir.filePath(QStringLiteral("nothing.pdf"));
    QCOMPARE(run({"--plot", program, "--output", picture}).exitCode, 0);
    const QString text = popplerOutput(QStringLiteral("pdftotext"), {picture, QStringLiteral("-")});
    QVERIFY2(text.contains(says), qPrintable(text));
    // The time axis is drawn only where time passes.
    QCOMPARE(text.contains(QLatin1String("Time from RUN")), says.startsWith(QLatin1String("Time")));
}

void FileToolsTest::fullDisk_data()
{
    // A full disk is a path that leads to /dev/full, which refuses every
    // write for root too; beside each, the same on a disk with room.
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("full");
    for (const char *suffix : {"png", "svg", "pdf"}) {
        QTest::addRow("--plot .%s, full disk", suffix) << "--plot" << suffix << true;
        QTest::addRow("--plot .%s, room", suffix) << "--plot" << suffix << false;
    }
    QTest::newRow("--report, full disk") << "--report"
                                         << "pdf" << true;
    QTest::newRow("--report, room") << "--report"
                                    << "pdf" << false;
}

void FileToolsTest::fullDisk()
{
#ifndef Q_OS_UNIX
    QSKIP("/dev/full is POSIX only");
#else
    QFETCH(QString, tool);
    QFETCH(QString, suffix);
    QFETCH(bool, full);
    QTemporaryDir dir;
    const QString program = writeSteps(dir.filePath(QStringLiteral("p.log")), tightProgram());
    const QString record = dir.filePath(QStringLiteral("r.csv"));
    QVERIFY(writeRecord(record, recordRows(true), program));
    const QString output = dir.filePath(QStringLiteral("out.") + suffix);
    if (full)
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), output));
    const Outcome outcome = run({tool, tool == QLatin1String("--plot") ? program : record, "--output", output});
    if (full) {
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(
                     QStringLiteral("cannot write \"%1\": No space left on device").arg(output)),
                 qPrintable(outcome.err));
        QVERIFY(!outcome.out.contains(QLatin1String("Report: ")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), 4); // nothing beside them
    } else {
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY(QFileInfo(output).size() > 100);
    }
#endif
}

void FileToolsTest::reportOfAProgramThatCannotBeRead_nothingWritten()
{
    QTemporaryDir dir;
    const QString program = writeSteps(dir.filePath(QStringLiteral("p.log")), tightProgram());
    const QString record = dir.filePath(QStringLiteral("r.csv"));
    QVERIFY(writeRecord(record, recordRows(true), program));
    const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
    const QString named = dir.filePath(QStringLiteral("nosuch.log"));
    const Outcome outcome = run({"--report", record, "--program", named, "--output", pdf});
    QCOMPARE(outcome.exitCode, 2);
    QVERIFY2(outcome.err.contains(QStringLiteral("Can't open file: ") + named), qPrintable(outcome.err));
    QVERIFY(!QFileInfo::exists(pdf));
    QVERIFY(!outcome.out.contains(QLatin1String("Report: ")));
}

void FileToolsTest::damagedRecord_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<bool>("stepFileThere");
    QTest::addColumn<QStringList>("says");
    QTest::addColumn<QStringList>("saysNot");
    const QString cut = QStringLiteral("The record ends 1.000 s after RUN, before the run's end");
    const QString stray = QStringLiteral(
        "line(s) of the record were skipped (unreadable, or their time runs back)");
    const QString missing = QStringLiteral("Step file not found: ");
    QTest::newRow("whole record") << recordRows(true) << true << QStringList{"Ended: completed", "1.000"}
                                  << QStringList{cut, stray, missing, "held time is unknown"};
    QTest::newRow("cut after step 2") << recordRows(false) << true
                                      << QStringList{cut, "the last step's held time is unknown", "unknown"}
                                      << QStringList{stray, "-1000"};
    QTest::newRow("junk appended") << recordRows(true) + "garbage\r\nx,y,z,w\r\n"
                                   << true << QStringList{"2 " + stray + ", the first at line 13"}
                                   << QStringList{cut};
    QTest::newRow("step file gone") << recordRows(true) << false << QStringList{missing} << QStringList{cut};
    QTest::newRow("header alone") << QByteArray("time,elapsed_ms,step,command\r\n") << true
                                  << QStringList{"The record holds no command, not even RUN's: it is cut, "
                                                 "whatever the side file says (\"completed\")",
                                                 "The record holds no step"}
                                  << QStringList{"RUN plays nothing"};
    // A quote left open ends with its line, and the next line is read.
    QTest::newRow("unclosed quote") << QByteArray(recordRows(true))
                                           .replace("0,S1,:SOUR:VOLT", "0,\"S1,:SOUR:VOLT")
                                    << true
                                    << QStringList{"1 " + stray + ", the first at line 6", "Steps played: 2"}
                                    << QStringList{cut};
    QTest::newRow("time runs back") << QByteArray(recordRows(true))
                                           .replace("1000,S2,:SOUR:FREQ", "-5000,S2,:SOUR:FREQ")
                                    << true
                                    << QStringList{"1 " + stray + ", the first at line 8", "Duration: 2.000 s"}
                                    << QStringList{cut, "0.000"};
}

void FileToolsTest::damagedRecord()
{
    QFETCH(QByteArray, csv);
    QFETCH(bool, stepFileThere);
    QFETCH(QStringList, says);
    QFETCH(QStringList, saysNot);
    QTemporaryDir dir;
    QString program = dir.filePath(QStringLiteral("gone.log"));
    if (stepFileThere)
        program = writeSteps(dir.filePath(QStringLiteral("p.log")),
                             {step("S1", "230.00", "0.00", "1.00"), step("S2", "0.00", "0.00", "1.00")});
    const QString record = dir.filePath(QStringLiteral("r.csv"));
    QVERIFY(writeRecord(record, csv, program));
    const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
    const Outcome outcome = run({"--report", record, "--output", pdf});
    QCOMPARE(outcome.exitCode, 0);
    const QString text = popplerOutput(QStringLiteral("pdftotext"),
                                       {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    for (const QString &s : says)
        QVERIFY2(text.contains(s), qPrintable(s + QStringLiteral(" in:\n") + text));
    for (const QString &s : saysNot)
        QVERIFY2(!text.contains(s), qPrintable(s + QStringLiteral(" in:\n") + text));
}

void FileToolsTest::checkAgreesWithPacedRun_reportOfTheRun()
{
#ifndef Q_OS_UNIX
    QSKIP("pseudo-terminals are POSIX only");
#else
    const QString program = writeSteps(m_dir.filePath(QStringLiteral("tight.log")), tightProgram());
    const Outcome check = run({"--check", program, "--baud", "9600"});
    QCOMPARE(check.exitCode, 1);
    QStringList checked;
    for (const QString &line : check.out.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("  step ")))
            checked << line.section(QLatin1String("  "), 2, 2);
    QCOMPARE(checked, (QStringList{"Dip 0% 10ms", "Dip 40% 30ms @90"}));

    // The same program played on a line that carries 960 characters a second.
    PtyPair pty;
    QVERIFY(pty.open());
    LineRateReader reader(pty.farEnd(), 960.0);
    const QString records = m_dir.filePath(QStringLiteral("records"));
    const Outcome played = run(
        {"--run", program, "--port", pty.deviceName(), "--baud", "9600", "--record", records, "--report"});
    QCOMPARE(played.exitCode, 0);
    QVERIFY2(played.out.contains(QStringLiteral("Stretched steps: %1\n").arg(checked.size())),
             qPrintable(played.out));

    const QStringList csvs = QDir(records).entryList({QStringLiteral("*.csv")});
    QCOMPARE(csvs.size(), 1);
    const QString csv = QDir(records).filePath(csvs.constFirst());
    const QString pdf = csv.chopped(4) + QStringLiteral(".pdf");
    QVERIFY2(QFile::exists(pdf), qPrintable(played.out + played.err));
    QVERIFY(QFile::exists(csv.chopped(4) + QStringLiteral(".json")));

    // The steps the record shows held past their dwell are the ones the check named.
    const QList<RowStep> steps = rowSteps(csv);
    QCOMPARE(steps.size(), 7);
    const QList<int> dwells{300, 10, 300, 30, 300, 150, 600};
    QStringList heldLonger;
    for (qsizetype i = 0; i < steps.size(); ++i)
        if (steps[i].heldMs > dwells[i] + 40)
            heldLonger << steps[i].label;
    QCOMPARE(heldLonger, checked);

    // The report: one page, its header, and a table row for each step as recorded.
    QCOMPARE(pdfPages(pdf), 1);
    const QString text = popplerOutput(QStringLiteral("pdftotext"),
                                       {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY2(text.contains(QLatin1String("Run report")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Port: ") + pty.deviceName()), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("Baud: 9600")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("Ended: completed")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("the file that was played")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Stretched: %1").arg(checked.size())), qPrintable(text));
    static const QRegularExpression row(QStringLiteral(
        "^\\s*(\\d+)\\s+(.+?)\\s+(\\S+)\\s+(\\S+)\\s+(\\S+)\\s+(\\S+)\\s+(\\d+\\.\\d{3})\\s+(-?\\d+)\\s*\\*?\\s*$"));
    // The table of every step played, after the steps held other than their dwell.
    QList<QStringList> table;
    const qsizetype everyStep = text.indexOf(QLatin1String("Every step played"));
    QVERIFY2(everyStep >= 0, qPrintable(text));
    for (const QString &line : text.mid(everyStep).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = row.match(line);
        if (m.hasMatch())
            table << QStringList{m.captured(2), m.captured(3), m.captured(7)};
    }
    QList<QStringList> recorded;
    for (const RowStep &s : steps)
        recorded << QStringList{s.label, s.voltage,
                                QString::number(static_cast<double>(s.heldMs) / 1000.0, 'f', 3)};
    QCOMPARE(table, recorded);
#endif
}

QTEST_GUILESS_MAIN(FileToolsTest)
#include "test_file_tools.moc"
