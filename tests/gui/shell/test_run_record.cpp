// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The window's runs recorded row for row as their commands went to the
// port, with the side file naming the device and the step file, and a
// record that fails told once while the run goes on. The recorder's file
// itself is tested in tests/domain/instrument.
#include "RunFixture.h"
#include "domain/files/StepFileFormat.h"
#include "domain/instrument/InstrumentSession.h"
#include "domain/ports/PortMap.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The rows of a record whose fields need no quotes, without the header.
QList<QStringList> plainRows(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QStringList> rows;
    for (const QString &line :
         QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        rows << line.split(QLatin1Char(','));
    return rows.mid(1);
}

QStringList column(const QList<QStringList> &rows, int index)
{
    QStringList values;
    for (const QStringList &row : rows)
        values << row.value(index);
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
    void windowRun_rowsAreTheCommandsSent();
    void windowRun_recordThatFails_toldOnceRunGoesOn();
    void windowRun_sideFileNamesDeviceAndStepFile_data();
    void windowRun_sideFileNamesDeviceAndStepFile();
};

void RunRecordTest::windowRun_rowsAreTheCommandsSent()
{
    QTemporaryDir dir;
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->setRecordDirectory(dir.path());
    StepSpec second;
    second.startPhase = QStringLiteral("90.00");
    setSteps(*w, {StepSpec{}, second});
    w->cmdRunStop_Click();
    settle(*w);
    w->cmdReset_Click(); // between steps: no step's command
    settle(*w);
    while (fake.timer.tick()) {
    }
    QCOMPARE(w->statusText(), QStringLiteral("Now Stop"));
    w->ui().optSystemMode_0->click(); // after the run: not in its record
    settle(*w);

    const QStringList files = recordsIn(dir);
    QCOMPARE(files.size(), 1);
    const QList<QStringList> rows = plainRows(dir.filePath(files.constFirst()));
    QStringList sent = fake.port.commands();
    QCOMPARE(sent.takeLast(), QStringLiteral(":SYST:LOC "));
    QCOMPARE(column(rows, 3), sent);

    // Each step's six commands carry its label; RUN's, Reset's and the end's none.
    const QStringList steps = column(rows, 2);
    QStringList expected = {"", "", "Step1", "Step1", "Step1", "Step1", "Step1", "Step1", ""};
    expected << QStringList(5, QStringLiteral("Step2")) << ""
             << "";
    QCOMPARE(steps, expected);
    qint64 last = 0;
    for (const QString &elapsed : column(rows, 1)) {
        QVERIFY(elapsed.toLongLong() >= last);
        last = elapsed.toLongLong();
    }
}

void RunRecordTest::windowRun_sideFileNamesDeviceAndStepFile_data()
{
    QTest::addColumn<QString>("program"); // "saved", "edited" or "untitled"
    QTest::addColumn<bool>("hasFile");
    QTest::addColumn<bool>("hasChecksum");
    QTest::addColumn<QString>("note");
    QTest::newRow("saved, opened by a relative name") << "saved" << true << true << QString();
    QTest::newRow("edited after Open")
        << "edited" << true << false << "unsaved changes: the run played the table, not the file";
    QTest::newRow("untitled") << "untitled" << false << false << "untitled program: never saved to a file";
    // Another program wrote the file after it was opened: the table still
    // holds what was read.
    const QString changed = QStringLiteral(
        "the file changed on disk since it was opened or saved: the run played the table, not the file");
    QTest::newRow("rewritten on disk after Open") << "rewritten" << true << false << changed;
    QTest::newRow("removed after Open") << "removed" << true << false << changed;
}

void RunRecordTest::windowRun_sideFileNamesDeviceAndStepFile()
{
    QFETCH(QString, program);
    QFETCH(bool, hasFile);
    QFETCH(bool, hasChecksum);
    QFETCH(QString, note);
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    PortMap ports;
    ports.setDevice(1, QStringLiteral("/dev/pts/77"));
    w->setPortMap(ports);
    w->setRecordDirectory(dir.filePath(QStringLiteral("records")));
    setSteps(*w, {StepSpec{}});
    if (program != "untitled") {
        QFile file(dir.filePath(QStringLiteral("w1.log")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(StepFileFormat::format(w->ui().livData->steps().rows()));
        file.close();
        QVERIFY(w->document().open(QStringLiteral("w1.log")));
    }
    if (program == "edited")
        w->cmdDataAppend_Click();
    if (program == "rewritten") {
        QFile file(dir.filePath(QStringLiteral("w1.log")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(StepFileFormat::format({StepRecord::makeDefault(QStringLiteral("Other"))}));
    }
    if (program == "removed")
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("w1.log"))));
    w->cmdRunStop_Click();
    settle(*w);
    while (fake.timer.tick()) {
    }
    QDir::setCurrent(before);

    const QStringList sides = QDir(dir.filePath(QStringLiteral("records")))
                                  .entryList({QStringLiteral("quorra-run-*.json")}, QDir::Files);
    QCOMPARE(sides.size(), 1);
    QFile side(dir.filePath(QStringLiteral("records/") + sides.constFirst()));
    QVERIFY(side.open(QIODevice::ReadOnly));
    const QJsonObject json = QJsonDocument::fromJson(side.readAll()).object();
    QCOMPARE(json.value("port").toString(), QStringLiteral("/dev/pts/77"));
    if (hasFile)
        QCOMPARE(json.value("stepFile").toString(),
                 QDir(dir.path()).absoluteFilePath(QStringLiteral("w1.log")));
    else
        QVERIFY(json.value("stepFile").isNull());
    QCOMPARE(json.value("stepFileSha256").toString().size(), hasChecksum ? 64 : 0);
    QCOMPARE(json.value("stepFileNote").toString(), note);
}

void RunRecordTest::windowRun_recordThatFails_toldOnceRunGoesOn()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("not-a-directory")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->setRecordDirectory(blocker.fileName());
    setSteps(*w, {StepSpec{}});
    w->cmdRunStop_Click();
    settle(*w);
    while (fake.timer.tick()) {
    }
    QTest::qWait(10); // the message waits for the sending handler to finish
    QCOMPARE(fake.messages.shown.size(), 1);
    QVERIFY(fake.messages.shown[0].text.contains(blocker.fileName()));
    QVERIFY(fake.messages.shown[0].text.contains(QStringLiteral("goes on without it")));
    QCOMPARE(fake.port.commands().last(), QStringLiteral(":OUTP OFF"));
}

QTEST_MAIN(RunRecordTest)
#include "test_run_record.moc"
