// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Reading and writing the main window's step table as a file.
#include "domain/files/StepFile.h"
#include "domain/files/StepFileTestData.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace StepFileTestData;
using Answer = MessageBox::Answer;

namespace {
void fill(frmControl &w, const std::vector<StepRecord> &rows)
{
    w.ui().livData->replaceAll(rows);
}

std::vector<StepRecord> manyRows(int n)
{
    std::vector<StepRecord> rows;
    for (int i = 1; i <= n; ++i)
        rows.push_back(defaultRow(QStringLiteral("Step%1").arg(i)));
    return rows;
}

// Whether this process can create files in a folder it may not write to
// (root can): such a folder then proves nothing about a refused write.
bool writesIgnorePermissions(const QDir &dir)
{
    const QString probe = dir.filePath(QStringLiteral("probe"));
    QFile f(probe);
    const bool created = f.open(QIODevice::WriteOnly);
    f.close();
    QFile::remove(probe);
    return created;
}
} // namespace

class StepFileIoTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void write_givesTheExampleBytesUnderTheBusyPointer();
    void write_emptyTable();
    void writeThenRead_throughAFile();
    void read_replacesTheTableWithOneReset();
    void read_unopenable_data();
    void read_unopenable();
    void write_failing_data();
    void write_failing();
    void write_failingHalfway_leavesTheOldFileUntouched();
    void write_overAnExistingFile_replacesItWhole();
    void write_largerThanOpenTakes_writesNothing();

private:
    std::unique_ptr<FakePlatform> fake; // outlives the window that uses it
    std::unique_ptr<frmControl> window;
    std::unique_ptr<QTemporaryDir> dir;
};

void StepFileIoTest::init()
{
    window.reset();
    fake = std::make_unique<FakePlatform>();
    window = startedWindow(*fake);
    fake->busy.changes.clear();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void StepFileIoTest::write_givesTheExampleBytesUnderTheBusyPointer()
{
    fill(*window, {defaultRow(QStringLiteral("Step1"))});
    const QString path = dir->filePath(QStringLiteral("example.log"));
    QVERIFY(ModTool::WriteStepFile(window->ui().livData->steps(), path, fake->messages, fake->busy));
    QCOMPARE(readBytes(path), exampleFile());
    QCOMPARE(fake->busy.changes, (QList<bool>{true, false}));
    QVERIFY(fake->messages.shown.isEmpty());
    QCOMPARE(window->ui().livData->count(), 1);
}

void StepFileIoTest::write_emptyTable()
{
    const QString path = dir->filePath(QStringLiteral("empty.log"));
    QVERIFY(ModTool::WriteStepFile(window->ui().livData->steps(), path, fake->messages, fake->busy));
    QCOMPARE(readBytes(path), QByteArray(" 0 \r\n"));
    fill(*window, {defaultRow(QStringLiteral("Step1"))});
    QVERIFY(ModTool::ReadStepFile(window->ui().livData->steps(), path, fake->messages, fake->busy));
    QCOMPARE(window->ui().livData->count(), 0);
}

void StepFileIoTest::writeThenRead_throughAFile()
{
    const std::vector<StepRecord> rows = {
        defaultRow(QStringLiteral("Step1")),
        row(false, {QStringLiteral("Step 2"), QStringLiteral("Off"), QStringLiteral("Low"),
                    QStringLiteral("1,5"), QStringLiteral("\"60\""), QStringLiteral("0.00"),
                    QStringLiteral("360.00"), QStringLiteral("0.01")}),
        row(true, {QStringLiteral("Stufe \u00dc\u00b0"), QStringLiteral("\u00e9"), QStringLiteral("Auto"),
                   QStringLiteral(""), QStringLiteral(" 50 "), QStringLiteral("\u00ff"),
                   QStringLiteral("a,\"b\""), QStringLiteral("1.00")}),
    };
    fill(*window, rows);
    const QString path = dir->filePath(QStringLiteral("round.log"));
    QVERIFY(ModTool::WriteStepFile(window->ui().livData->steps(), path, fake->messages, fake->busy));
    QVERIFY(readBytes(path).contains("Stufe \xdc\xb0\t\xe9\t"));
    window->ui().livData->clear();
    QVERIFY(ModTool::ReadStepFile(window->ui().livData->steps(), path, fake->messages, fake->busy));
    QVERIFY(window->ui().livData->steps().rows() == rows);
}

void StepFileIoTest::read_replacesTheTableWithOneReset()
{
    const QString path = dir->filePath(QStringLiteral("many.log"));
    fill(*window, manyRows(500));
    QVERIFY(ModTool::WriteStepFile(window->ui().livData->steps(), path, fake->messages, fake->busy));
    fill(*window, {row(false, {QStringLiteral("old")})});
    window->ui().livData->select(1);
    fake->busy.changes.clear();

    QSignalSpy resets(&window->ui().livData->steps(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&window->ui().livData->steps(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changes(&window->ui().livData->steps(), &QAbstractItemModel::dataChanged);
    window->setNextStepNumber(42);
    const qint32 next = window->nextStepNumber();
    QVERIFY(ModTool::ReadStepFile(window->ui().livData->steps(), path, fake->messages, fake->busy));

    QCOMPARE(window->ui().livData->count(), 500);
    QCOMPARE(window->ui().livData->item(500).label, QStringLiteral("Step500"));
    QCOMPARE(resets.size(), 1);
    QCOMPARE(inserts.size(), 0);
    QCOMPARE(changes.size(), 0);
    QCOMPARE(window->ui().livData->selectedIndex(), 1);
    QCOMPARE(fake->busy.changes, (QList<bool>{true, false}));
    QCOMPARE(window->nextStepNumber(), next);
    QVERIFY(fake->messages.shown.isEmpty());
}

void StepFileIoTest::read_unopenable_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << QStringLiteral("missing.log");
    QTest::newRow("a folder") << QStringLiteral("folder");
    QTest::newRow("under a file") << QStringLiteral("not-a-folder/x.log");
    QTest::newRow("a FIFO with no writer") << QStringLiteral("fifo");
    QTest::newRow("over the size limit") << QStringLiteral("oversized");
    QTest::newRow("a device") << QStringLiteral("/dev/zero");
}

void StepFileIoTest::read_unopenable()
{
    QFETCH(QString, name);
    QDir(dir->path()).mkdir(QStringLiteral("folder"));
    writeBytes(dir->filePath(QStringLiteral("not-a-folder")), "x");
    const std::vector<StepRecord> before = {defaultRow(QStringLiteral("Step1")),
                                            row(false, {QStringLiteral("Step2")})};
    fill(*window, before);
    window->ui().livData->select(2);

    const QString path = notAProgram(QDir(dir->path()), name, ModTool::MaxStepFileBytes);
    if (path.isEmpty())
        QSKIP("not available here");
    QVERIFY(!ModTool::ReadStepFile(window->ui().livData->steps(), path, fake->messages, fake->busy));

    QCOMPARE(fake->messages.shown.size(), 1);
    const auto &m = fake->messages.shown.first();
    // A file too large says so after the common sentence.
    QCOMPARE(m.text.section(QLatin1Char('\n'), 0, 0), QStringLiteral("Can't open file: ") + path);
    QCOMPARE(m.text.contains(QLatin1String("It is 16.8 MB; the program opens step files of up to 16.8 MB.")),
             name == QLatin1String("oversized"));
    QCOMPARE(m.caption, QStringLiteral("Nesk DEMO"));
    QCOMPARE(m.buttons, MessageBox::Buttons::Ok);
    QCOMPARE(m.icon, MessageBox::Icon::None);
    QVERIFY(window->ui().livData->steps().rows() == before);
    QCOMPARE(window->ui().livData->selectedIndex(), 2);
    QVERIFY(fake->busy.changes.isEmpty());
}

void StepFileIoTest::write_failing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("description"); // part of the system's text
    QTest::newRow("folder is a file") << QStringLiteral("under-file") << QString();
    QTest::newRow("no such folder") << QStringLiteral("no-folder") << QString();
    QTest::newRow("read-only folder") << QStringLiteral("read-only") << QString();
    QTest::newRow("device full") << QStringLiteral("dev-full") << QStringLiteral("No space left on device");
}

void StepFileIoTest::write_failing()
{
    QFETCH(QString, kind);
    QFETCH(QString, description);
    const QDir base(dir->path());
    QString path;
    if (kind == QLatin1String("under-file")) {
        path = pathUnderAFile(base);
    } else if (kind == QLatin1String("no-folder")) {
        path = base.filePath(QStringLiteral("no/such/folder.log"));
    } else if (kind == QLatin1String("read-only")) {
        base.mkdir(QStringLiteral("locked"));
        const QString locked = base.filePath(QStringLiteral("locked"));
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (writesIgnorePermissions(QDir(locked)))
            QSKIP("running with rights that ignore folder permissions; the other rows cover it");
        path = QDir(locked).filePath(QStringLiteral("program.log"));
    } else {
        path = QStringLiteral("/dev/full");
        if (!QFileInfo::exists(path))
            QSKIP("no /dev/full here");
    }

    fill(*window, manyRows(3));
    bool pointerRestoredBeforeMessage = false;
    fake->messages.onShow = [&](const FakeMessageBox::Shown &) {
        pointerRestoredBeforeMessage = !fake->busy.busy;
    };
    QVERIFY(!ModTool::WriteStepFile(window->ui().livData->steps(), path, fake->messages, fake->busy));

    QCOMPARE(fake->messages.shown.size(), 1);
    const auto &m = fake->messages.shown.first();
    QCOMPARE(m.caption, QStringLiteral("Tarvel Quorra-7"));
    QCOMPARE(m.icon, MessageBox::Icon::Exclamation);
    QCOMPARE(m.buttons, MessageBox::Buttons::Ok);
    QVERIFY2(!m.text.isEmpty(), "the message carries the system's description");
    if (!description.isEmpty())
        QVERIFY2(m.text.contains(description), qPrintable(m.text));
    QVERIFY(pointerRestoredBeforeMessage);
    QCOMPARE(fake->busy.changes, (QList<bool>{true, false}));
    QCOMPARE(window->ui().livData->count(), 3);
    if (kind == QLatin1String("dev-full")) {
        // Written in place: the device is still a device.
        QVERIFY(!QFileInfo(path).isFile());
        QVERIFY(QFileInfo::exists(path));
    } else {
        QVERIFY(!QFileInfo::exists(path));
    }
}

void StepFileIoTest::write_failingHalfway_leavesTheOldFileUntouched()
{
#ifdef Q_OS_UNIX
    const QString path = dir->filePath(QStringLiteral("program.log"));
    const QByteArray old = exampleFile();
    QVERIFY(writeBytes(path, old));

    // A file size limit makes the write fail after its first bytes, for
    // root as well.
    fill(*window, manyRows(2000));
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    auto *previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const bool written = ModTool::WriteStepFile(window->ui().livData->steps(), path, fake->messages,
                                                fake->busy);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!written);
    QCOMPARE(fake->messages.shown.size(), 1);
    QCOMPARE(fake->messages.shown.first().caption, QStringLiteral("Tarvel Quorra-7"));
    QCOMPARE(readBytes(path), old);
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("program.log")});
#else
    QSKIP("needs a file size limit");
#endif
}

void StepFileIoTest::write_overAnExistingFile_replacesItWhole()
{
    const QString path = dir->filePath(QStringLiteral("program.log"));
    QVERIFY(writeBytes(path, QByteArray(10000, 'x')));
    fill(*window, {defaultRow(QStringLiteral("Step1"))});
    QVERIFY(ModTool::WriteStepFile(window->ui().livData->steps(), path, fake->messages, fake->busy));
    QCOMPARE(readBytes(path), exampleFile());
}

void StepFileIoTest::write_largerThanOpenTakes_writesNothing()
{
    // Rows that a file just under the limit gave can grow in writing (a
    // check field of "0" is written "False"); Open would refuse the file.
    const QString path = dir->filePath(QStringLiteral("program.log"));
    const QByteArray old = exampleFile();
    QVERIFY(writeBytes(path, old));
    std::vector<StepRecord> rows = manyRows(17000);
    for (StepRecord &r : rows)
        r.label = QString(1000, QLatin1Char('L'));
    fill(*window, rows);
    QVERIFY(!ModTool::WriteStepFile(window->ui().livData->steps(), path, fake->messages, fake->busy));
    QCOMPARE(fake->messages.shown.size(), 1);
    QVERIFY2(fake->messages.shown.first().text.startsWith(QLatin1String("17000 steps make a file of 17.")),
             qPrintable(fake->messages.shown.first().text));
    QCOMPARE(readBytes(path), old);
    QCOMPARE(fake->busy.changes, (QList<bool>{true, false}));
}

QTEST_MAIN(StepFileIoTest)
#include "test_step_file_io.moc"
