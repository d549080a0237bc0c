// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// New, Open, Save and Save as with scripted answers, and the document state
// (title, Modified, the dialog's name) they leave behind.
#include "domain/files/StepFile.h"
#include "domain/files/StepFileTestData.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace StepFileTestData;
using Answer = MessageBox::Answer;

namespace {
const QString Untitled = QStringLiteral("Tarvel Quorra-7 - Untitled.log");
const QString Filter = QStringLiteral("All Files (*.*)|*.*|Log Files (*.log)|*.log|Batch Files (*.bat)|*.bat");
const QString SaveQuestion = QStringLiteral("The file have no saved, \rdo you want to save it?");

QString titleFor(const QString &path)
{
    return QStringLiteral("Tarvel Quorra-7 - ") + path;
}

QStringList labels(const frmControl &w)
{
    QStringList out;
    for (int i = 1; i <= w.ui().livData->count(); ++i)
        out << w.ui().livData->item(i).label;
    return out;
}
} // namespace

class FileCommandsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void save_dependsOnTheDocumentState_data();
    void save_dependsOnTheDocumentState();
    void saveAs_dialogAndTitle();
    void saveAs_keepsATypedNameWithoutExtension();
    void saveAs_failed_keepsTitleAndModified();
    void save_failed_keepsModified_andClosingStillAsks();
    void save_fileChangedOnDisk_asksFirst_data();
    void save_fileChangedOnDisk_asksFirst();
    void open_setsTitleButtonsAndKeepsTheCounter_data();
    void open_setsTitleButtonsAndKeepsTheCounter();
    void open_cancelledDialog_changesNothing();
    void open_unopenableFile_keepsTitleAndModified_data();
    void open_unopenableFile_keepsTitleAndModified();
    void new_clearsTheTable();
    void new_keepsTheDialogsName();
    void savePrompt_data();
    void savePrompt();

private:
    void edit() { window->cmdDataAppend_Click(); }
    // Saves the current table under a file name chosen in the dialog.
    void saveAs(const QString &path)
    {
        fake->files.answers.push_back(path);
        window->mnuSaveAs_Click();
    }

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<frmControl> window;
    std::unique_ptr<QTemporaryDir> dir;
};

void FileCommandsTest::init()
{
    window.reset();
    fake = std::make_unique<FakePlatform>();
    window = startedWindow(*fake);
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void FileCommandsTest::save_dependsOnTheDocumentState_data()
{
    QTest::addColumn<bool>("titled");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("saveDoes"); // nothing, save as, write

    QTest::newRow("untitled, unmodified (start-up, New)") << false << false << QStringLiteral("nothing");
    QTest::newRow("untitled, modified") << false << true << QStringLiteral("save as");
    QTest::newRow("titled, unmodified (Open, Save as, Save)") << true << false << QStringLiteral("nothing");
    QTest::newRow("titled, modified") << true << true << QStringLiteral("write");
}

void FileCommandsTest::save_dependsOnTheDocumentState()
{
    QFETCH(bool, titled);
    QFETCH(bool, modified);
    QFETCH(QString, saveDoes);

    const QString first = dir->filePath(QStringLiteral("first.log"));
    const QString second = dir->filePath(QStringLiteral("second.log"));
    if (titled) {
        saveAs(first);
        QCOMPARE(window->windowTitle(), titleFor(first));
    }
    if (modified)
        edit();
    QCOMPARE(window->document().modified(), modified);
    QCOMPARE(window->windowTitle() == Untitled, !titled);
    const QByteArray before = readBytes(first);
    const int dialogsBefore = fake->files.calls.size();

    fake->files.answers.push_back(second);
    window->mnuSave_Click();

    const int dialogs = fake->files.calls.size() - dialogsBefore;
    QVERIFY(fake->messages.shown.isEmpty());
    QVERIFY(!window->document().modified());
    if (saveDoes == QLatin1String("nothing")) {
        QCOMPARE(dialogs, 0);
        QVERIFY(!QFileInfo::exists(second));
        QCOMPARE(readBytes(first), before);
        QCOMPARE(window->windowTitle(), titled ? titleFor(first) : Untitled);
    } else if (saveDoes == QLatin1String("save as")) {
        QCOMPARE(dialogs, 1);
        QVERIFY(fake->files.calls.constLast().save);
        QCOMPARE(readBytes(second),
                 QByteArray(" 1 \r\nTrue\tStep1\t") + "On\tAuto\t110.00\t60.00\t0.00\t360.00\t1.00\t\r\n");
        QCOMPARE(window->windowTitle(), titleFor(second));
        // A second Save without edits does nothing.
        window->mnuSave_Click();
        QCOMPARE(fake->files.calls.size() - dialogsBefore, 1);
    } else {
        QCOMPARE(dialogs, 0);
        QVERIFY(!QFileInfo::exists(second));
        QVERIFY(readBytes(first).startsWith(" 1 \r\n"));
        QCOMPARE(window->windowTitle(), titleFor(first));
    }
}

void FileCommandsTest::saveAs_dialogAndTitle()
{
    const QString path = dir->filePath(QStringLiteral("program.bat"));
    saveAs(path);
    QCOMPARE(fake->files.calls.size(), 1);
    const auto &call = fake->files.calls.first();
    QVERIFY(call.save);
    QCOMPARE(call.filter, Filter);
    QCOMPARE(call.filterIndex, 2);
    QCOMPARE(call.fileName, QString()); // nothing chosen yet
    // Unmodified, untitled: Save as still asks and writes.
    QCOMPARE(readBytes(path), QByteArray(" 0 \r\n"));
    QCOMPARE(window->windowTitle(), titleFor(path));
    QCOMPARE(window->document().dialogFileName(), path);
    QVERIFY(!window->document().modified());

    // The next dialog proposes that name; cancelling it changes nothing.
    edit();
    window->mnuSaveAs_Click();
    QCOMPARE(fake->files.calls.constLast().fileName, path);
    QCOMPARE(window->windowTitle(), titleFor(path));
    QVERIFY(window->document().modified());
    QCOMPARE(readBytes(path), QByteArray(" 0 \r\n"));
}

void FileCommandsTest::saveAs_keepsATypedNameWithoutExtension()
{
    const QString path = dir->filePath(QStringLiteral("program"));
    saveAs(path);
    QVERIFY(QFileInfo(path).isFile());
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("program")});
    QCOMPARE(window->windowTitle(), titleFor(path));
}

void FileCommandsTest::saveAs_failed_keepsTitleAndModified()
{
    edit();
    const QString bad = pathUnderAFile(QDir(dir->path()));
    saveAs(bad);
    QCOMPARE(fake->messages.shown.size(), 1);
    QCOMPARE(fake->messages.shown.first().caption, QStringLiteral("Tarvel Quorra-7"));
    QCOMPARE(window->windowTitle(), Untitled);
    QVERIFY(window->document().modified());
    // The dialog still remembers what was typed, to correct it.
    QCOMPARE(window->document().dialogFileName(), bad);
}

void FileCommandsTest::save_failed_keepsModified_andClosingStillAsks()
{
    // A titled document whose folder has since become a file.
    QDir(dir->path()).mkdir(QStringLiteral("sub"));
    const QString path = dir->filePath(QStringLiteral("sub/program.log"));
    saveAs(path);
    QVERIFY(QDir(dir->filePath(QStringLiteral("sub"))).removeRecursively());
    QVERIFY(writeBytes(dir->filePath(QStringLiteral("sub")), "x"));

    edit();
    window->mnuSave_Click();
    QCOMPARE(fake->messages.shown.size(), 1);
    QCOMPARE(fake->messages.shown.first().icon, MessageBox::Icon::Exclamation);
    QVERIFY(window->document().modified());
    QCOMPARE(window->windowTitle(), titleFor(path));

    fake->messages.answers = {Answer::Cancel};
    QVERIFY(!closeAndSettle(*window));
    QCOMPARE(fake->messages.shown.size(), 2);
    QCOMPARE(fake->messages.shown.constLast().text,
             QStringLiteral("The file have been modefied,\rdo you want to save it?"));
}

void FileCommandsTest::save_fileChangedOnDisk_asksFirst_data()
{
    QTest::addColumn<QString>("since");  // what another program did to the file
    QTest::addColumn<bool>("asked");     // whether Save asks before writing
    QTest::addColumn<bool>("replaceIt"); // the answer
    QTest::newRow("rewrote it, replaced") << "rewrote" << true << true;
    QTest::newRow("rewrote it, kept") << "rewrote" << true << false;
    QTest::newRow("removed it") << "removed" << false << false;
}

void FileCommandsTest::save_fileChangedOnDisk_asksFirst()
{
    QFETCH(QString, since);
    QFETCH(bool, asked);
    QFETCH(bool, replaceIt);
    const QString path = dir->filePath(QStringLiteral("shared.log"));
    saveAs(path);
    edit();
    const QByteArray theirs = " 5 \r\n"; // another program's, unlike the program's own " 0 "
    if (since == QLatin1String("rewrote")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(theirs);
    } else if (since == QLatin1String("removed")) {
        QVERIFY(QFile::remove(path));
    }
    fake->messages.answers = {replaceIt ? Answer::Yes : Answer::No};
    window->mnuSave_Click();

    QCOMPARE(fake->messages.shown.size(), asked ? 1 : 0);
    if (asked) {
        const auto &q = fake->messages.shown.first();
        QCOMPARE(q.text, path
                             + QStringLiteral(" was changed by another program since it was opened or saved.\r"
                                              "Replace it with the table?"));
        QCOMPARE(q.buttons, MessageBox::Buttons::YesNo);
        QCOMPARE(q.defaultButton, Answer::No);
    }
    const bool written = !asked || replaceIt;
    QCOMPARE(readBytes(path).startsWith(" 1 \r\n"), written);
    QCOMPARE(window->document().modified(), !written);
    // What was written is the file's new state: a second Save asks nothing.
    if (written) {
        edit();
        window->mnuSave_Click();
        QCOMPARE(fake->messages.shown.size(), asked ? 1 : 0);
        QVERIFY(readBytes(path).startsWith(" 2 \r\n"));
    } else {
        QCOMPARE(readBytes(path), theirs);
    }
}

void FileCommandsTest::open_setsTitleButtonsAndKeepsTheCounter_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("no records") << QByteArray(" 0 \r\n") << QStringList{};
    QTest::newRow("records") << exampleFile() << QStringList{QStringLiteral("Step1")};
    QTest::newRow("labels as they stand")
        << QByteArray(" 3 \r\nTrue\tStep1\t\r\nTrue\tStep1\t\r\nTrue\tx\t\r\n")
        << QStringList{QStringLiteral("Step1"), QStringLiteral("Step1"), QStringLiteral("x")};
}

void FileCommandsTest::open_setsTitleButtonsAndKeepsTheCounter()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, labels);
    const QString path = dir->filePath(QStringLiteral("in.log"));
    QVERIFY(writeBytes(path, bytes));
    edit();
    edit();
    window->document().setModified(false);
    const qint32 next = window->nextStepNumber();
    QCOMPARE(next, 3);

    fake->files.answers.push_back(path);
    window->mnuOpen_Click();

    QCOMPARE(fake->files.calls.size(), 1);
    const auto &call = fake->files.calls.first();
    QVERIFY(!call.save);
    QCOMPARE(call.filter, Filter);
    QCOMPARE(call.filterIndex, 2);
    QVERIFY(fake->messages.shown.isEmpty()); // unmodified: no question
    QCOMPARE(::labels(*window), labels);
    QCOMPARE(window->windowTitle(), titleFor(path));
    QVERIFY(!window->document().modified());
    QCOMPARE(window->nextStepNumber(), next);
    const bool hasRows = !labels.isEmpty();
    QCOMPARE(window->ui().cmdDataInsert->isEnabled(), hasRows);
    QVERIFY(window->ui().cmdDataAppend->isEnabled());
    QCOMPARE(window->ui().cmdDataDelete->isEnabled(), hasRows);

    // Open again: the dialog proposes the file just opened.
    window->mnuOpen_Click();
    QCOMPARE(fake->files.calls.constLast().fileName, path);
}

void FileCommandsTest::open_cancelledDialog_changesNothing()
{
    edit();
    fake->messages.answers = {Answer::No};
    window->mnuOpen_Click(); // dialog cancelled: no answers queued
    QCOMPARE(fake->files.calls.size(), 1);
    QCOMPARE(window->ui().livData->count(), 1);
    QCOMPARE(window->windowTitle(), Untitled);
    QVERIFY(window->document().modified());
}

void FileCommandsTest::open_unopenableFile_keepsTitleAndModified_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << QStringLiteral("missing.log");
    QTest::newRow("a FIFO with no writer") << QStringLiteral("fifo");
    QTest::newRow("over the size limit") << QStringLiteral("oversized");
}

void FileCommandsTest::open_unopenableFile_keepsTitleAndModified()
{
    QFETCH(QString, kind);
    const QString good = dir->filePath(QStringLiteral("good.log"));
    edit();
    saveAs(good);
    edit();
    const QString unreadable = notAProgram(QDir(dir->path()), kind, ModTool::MaxStepFileBytes);
    if (unreadable.isEmpty())
        QSKIP("not available here");
    const QByteArray before = kind == QLatin1String("fifo") ? QByteArray() : readBytes(unreadable);
    fake->messages.answers = {Answer::No};
    fake->files.answers.push_back(unreadable);
    window->mnuOpen_Click();

    QCOMPARE(fake->messages.shown.size(), 2);
    // A file too large says so after this (the reading's own test).
    QCOMPARE(fake->messages.shown.constLast().text.section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("Can't open file: ") + unreadable);
    QCOMPARE(window->windowTitle(), titleFor(good));
    QVERIFY(window->document().modified());
    QCOMPARE(window->ui().livData->count(), 2);

    // Save writes the file the title names, not the one that failed.
    window->mnuSave_Click();
    QVERIFY(!window->document().modified());
    QCOMPARE(kind == QLatin1String("fifo") ? QByteArray() : readBytes(unreadable), before);
    QVERIFY(readBytes(good).startsWith(" 2 \r\n"));
}

void FileCommandsTest::new_clearsTheTable()
{
    const QString path = dir->filePath(QStringLiteral("p.log"));
    edit();
    edit();
    saveAs(path);
    window->mnuNew_Click();
    QVERIFY(fake->messages.shown.isEmpty());
    QCOMPARE(window->ui().livData->count(), 0);
    QCOMPARE(window->windowTitle(), Untitled);
    QVERIFY(!window->document().modified());
    QVERIFY(!window->ui().cmdDataInsert->isEnabled());
    QVERIFY(window->ui().cmdDataAppend->isEnabled());
    QVERIFY(!window->ui().cmdDataDelete->isEnabled());
    QCOMPARE(window->nextStepNumber(), 3);
}

void FileCommandsTest::new_keepsTheDialogsName()
{
    const QString path = dir->filePath(QStringLiteral("kept.log"));
    saveAs(path);
    window->mnuNew_Click();
    QCOMPARE(window->document().dialogFileName(), path);
    window->mnuSaveAs_Click();
    QCOMPARE(fake->files.calls.constLast().fileName, path);
}

void FileCommandsTest::savePrompt_data()
{
    QTest::addColumn<QString>("command");    // new, open
    QTest::addColumn<Answer>("answer");      // to the save question
    QTest::addColumn<QString>("saveDialog"); // file, cancel, fail (after Yes)
    QTest::addColumn<bool>("goesOn");        // the command runs after the question
    QTest::addColumn<bool>("saved");

    for (const QString &command : {QStringLiteral("new"), QStringLiteral("open")}) {
        const QByteArray c = command.toLatin1();
        QTest::newRow(c + ": Cancel") << command << Answer::Cancel << QString() << false << false;
        QTest::newRow(c + ": No") << command << Answer::No << QString() << true << false;
        QTest::newRow(c + ": Yes, saved through Save as")
            << command << Answer::Yes << QStringLiteral("file") << true << true;
        QTest::newRow(c + ": Yes, save dialog cancelled")
            << command << Answer::Yes << QStringLiteral("cancel") << false << false;
        QTest::newRow(c + ": Yes, save failed")
            << command << Answer::Yes << QStringLiteral("fail") << false << false;
    }
}

void FileCommandsTest::savePrompt()
{
    QFETCH(QString, command);
    QFETCH(Answer, answer);
    QFETCH(QString, saveDialog);
    QFETCH(bool, goesOn);
    QFETCH(bool, saved);

    const QString savedPath = dir->filePath(QStringLiteral("saved.log"));
    const QString openPath = dir->filePath(QStringLiteral("open.log"));
    QVERIFY(writeBytes(openPath, QByteArray(" 1 \r\nTrue\tOpened\t\r\n")));
    edit();
    edit();

    fake->messages.answers = {answer};
    if (saveDialog == QLatin1String("file"))
        fake->files.answers.push_back(savedPath);
    else if (saveDialog == QLatin1String("fail"))
        fake->files.answers.push_back(pathUnderAFile(QDir(dir->path())));
    else if (saveDialog == QLatin1String("cancel"))
        fake->files.answers.push_back(QString());
    fake->files.answers.push_back(openPath); // for Open's own dialog
    const bool isOpen = command == QLatin1String("open");
    isOpen ? window->mnuOpen_Click() : window->mnuNew_Click();

    const auto &q = fake->messages.shown.first();
    QCOMPARE(q.text, SaveQuestion);
    QCOMPARE(q.buttons, MessageBox::Buttons::YesNoCancel);
    QCOMPARE(q.icon, MessageBox::Icon::None);
    QCOMPARE(q.caption, QStringLiteral("Tarvel Quorra-7"));
    QCOMPARE(q.defaultButton, Answer::Yes);
    QCOMPARE(fake->messages.shown.size(), saveDialog == QLatin1String("fail") ? 2 : 1);

    const int saveDialogs = answer == Answer::Yes ? 1 : 0;
    const int openDialogs = isOpen && goesOn ? 1 : 0;
    QCOMPARE(fake->files.calls.size(), saveDialogs + openDialogs);
    if (saveDialogs)
        QVERIFY(fake->files.calls.first().save);
    QCOMPARE(QFileInfo::exists(savedPath), saved);
    if (saved)
        QVERIFY(readBytes(savedPath).startsWith(" 2 \r\n"));

    if (!goesOn) {
        QCOMPARE(labels(*window), (QStringList{QStringLiteral("Step1"), QStringLiteral("Step2")}));
        QCOMPARE(window->windowTitle(), Untitled);
        QVERIFY(window->document().modified());
    } else {
        QCOMPARE(labels(*window), isOpen ? QStringList{QStringLiteral("Opened")} : QStringList{});
        QCOMPARE(window->windowTitle(), isOpen ? titleFor(openPath) : Untitled);
        QVERIFY(!window->document().modified());
    }
}

QTEST_MAIN(FileCommandsTest)
#include "test_file_commands.moc"
