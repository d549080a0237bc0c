// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The Test menu in the real window, reached by its access keys: the
// IEC 61000-4-11 program as --generate writes it, the line time marks as
// --check finds them, the chart window during a run, and a run's record
// with its report.
#include "RunFixture.h"
#include "app/FileTools.h"
#include "domain/files/StepFileFormat.h"
#include "domain/files/WholeFile.h"
#include "domain/programs/LineCheck.h"
#include "gui/steps/StepEdits.h"
#include "gui/testmenu/ChartWindow.h"
#include "gui/testmenu/DipTestDialog.h"
#include "gui/testmenu/LineTimeMarks.h"
#include "gui/testmenu/ReportTask.h"
#include "gui/testmenu/RunRecordsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <functional>

using Answer = MessageBox::Answer;

namespace {
// Runs `act` on the modal dialog the next key opens, once it is up.
void onDialog(std::function<void(QDialog &)> act)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
    });
    poll->start();
}

void pressTestMenu(frmControl &w, char key)
{
    // After a dialog the window is active again before the keys go to it.
    QTRY_VERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget()->isHidden());
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_T, Qt::AltModifier);
    QMenu *menu = w.ui().mnuTest;
    QTRY_VERIFY(menu->isVisible());
    QTest::keyClick(menu, key);
}

void typeInto(QLineEdit *field, const QString &text)
{
    field->selectAll();
    QTest::keyClicks(field, text);
}

QList<int> checkRows(const StepTableModel &steps, int baud)
{
    LineSettings line;
    line.baud = baud;
    QList<int> rows;
    for (const StretchedRow &s : checkLine(steps, line).stretched)
        rows << s.position;
    return rows;
}

QList<int> markedRows(frmControl &w)
{
    w.lineTimeMarks().refresh();
    QList<int> rows = w.lineTimeMarks().marked().keys();
    std::sort(rows.begin(), rows.end());
    return rows;
}
} // namespace

class TestMenuTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { window.reset(); }
    void accessKeys_reachEachItem_data();
    void accessKeys_reachEachItem();
    void menu_disabledDuringRun();
    void dipProgram_sameFileAsGenerate_data();
    void dipProgram_sameFileAsGenerate();
    void dipProgram_refusals_data();
    void dipProgram_refusals();
    void dipProgram_tooLargeForAFile();
    void dipProgram_cancelAtSaveQuestion_changesNothing();
    void lineCheck_marksTheRowsCheckLists();
    void lineCheck_afterOneEdit_sameAsTheWholeTable_data();
    void lineCheck_afterOneEdit_sameAsTheWholeTable();
    void lineCheck_followsPasteOpenAndNew_data();
    void lineCheck_followsPasteOpenAndNew();
    void chart_followsTheTable_marksThePlayingStep();
    void chart_longProgram_inSlices_restartedOrCancelled();
    void runRecords_writeRecordSideFileAndReport();
    void runRecords_directoryIsWhereTheRecordsGo_data();
    void runRecords_directoryIsWhereTheRecordsGo();
    void report_cancelledOrFailed_data();
    void report_cancelledOrFailed();

private:
    // The IEC dialog opened on a table of one step, filled, refused (Return
    // leaves it open) and closed: what it said and its widths before and
    // after it was filled. The table must be as it was.
    struct RefusedDialog
    {
        QString summary;
        QList<int> widths;
    };
    void refuseDialog(const std::function<void(DipTestDialog &)> &fill, RefusedDialog &refused);
    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<frmControl> window;
    QStringList opened; // reports the viewer was asked to open
};

void TestMenuTest::init()
{
    fake = std::make_unique<FakePlatform>();
    window = startedWindow(*fake);
    opened.clear();
    window->setReportViewer([this](const QString &path) {
        opened << path;
        return true;
    });
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void TestMenuTest::accessKeys_reachEachItem_data()
{
    QTest::addColumn<char>("key");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("opens"); // the dialog or window's object name
    QTest::newRow("IEC program") << 'i' << "mnuDipTest"
                                 << "frmDipTest";
    QTest::newRow("check line time") << 'l' << "mnuCheckLine"
                                     << "";
    QTest::newRow("chart") << 'c' << "mnuChart"
                           << "frmChart";
    QTest::newRow("run records") << 'r' << "mnuRunRecords"
                                 << "frmRunRecords";
}

void TestMenuTest::accessKeys_reachEachItem()
{
    QFETCH(char, key);
    QFETCH(QString, item);
    QFETCH(QString, opens);
    auto *action = window->findChild<QAction *>(item);
    QVERIFY(action);
    QSignalSpy triggered(action, &QAction::triggered);
    QString seen;
    if (opens.startsWith(QLatin1String("frmDip")) || opens.startsWith(QLatin1String("frmRun")))
        onDialog([&](QDialog &d) {
            seen = d.objectName();
            d.reject();
        });
    pressTestMenu(*window, key);
    QTRY_COMPARE(triggered.count(), 1);
    if (opens == QLatin1String("frmChart")) {
        QVERIFY(window->chart());
        QTRY_VERIFY(window->chart()->isVisible());
        // Chosen again: the same window, not a second one.
        ChartWindow *first = window->chart();
        pressTestMenu(*window, key);
        QTRY_COMPARE(triggered.count(), 2);
        QCOMPARE(window->chart().data(), first);
        QVERIFY(!first->parentWidget());
        QVERIFY(!first->isModal());
    } else if (!opens.isEmpty()) {
        QCOMPARE(seen, opens);
    } else {
        QVERIFY(action->isChecked());
        QVERIFY(window->lineTimeMarks().active());
    }
    // Open Last Report waits for a report.
    QVERIFY(!window->ui().mnuOpenReport->isEnabled());
}

void TestMenuTest::menu_disabledDuringRun()
{
    window->ui().optSystemMode_1->click();
    settle(*window);
    setSteps(*window, {StepSpec{}, StepSpec{}});
    QTest::keyClick(window.get(), Qt::Key_R, Qt::AltModifier); // RUN
    QTRY_VERIFY(!window->ui().mnuTest->isEnabled());
    QVERIFY(!window->ui().mnuTest->menuAction()->isEnabled());
    QCOMPARE(window->ui().mnuFile->isEnabled(), false);
    while (fake->timer.tick()) {
    }
    QTRY_VERIFY(window->ui().mnuTest->menuAction()->isEnabled());
    QVERIFY(window->ui().mnuTest->isEnabled());
}

void TestMenuTest::dipProgram_sameFileAsGenerate_data()
{
    QTest::addColumn<int>("testClass");
    QTest::addColumn<QString>("voltage");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<QString>("angles");
    QTest::addColumn<QString>("repeats");
    QTest::addColumn<QString>("gap");
    QTest::addColumn<bool>("roundingNote");
    QTest::newRow("defaults, class 2") << 2 << "230" << 50 << "0,90"
                                       << "3"
                                       << "10" << false;
    QTest::newRow("class 3 at 60 Hz") << 3 << "120" << 60 << "0,90,180,270"
                                      << "1"
                                      << "0.5" << true;
    QTest::newRow("one angle, short gap") << 3 << "230.5" << 50 << "45"
                                          << "2"
                                          << "0.01" << false;
}

void TestMenuTest::dipProgram_sameFileAsGenerate()
{
    QFETCH(int, testClass);
    QFETCH(QString, voltage);
    QFETCH(int, frequency);
    QFETCH(QString, angles);
    QFETCH(QString, repeats);
    QFETCH(QString, gap);
    QFETCH(bool, roundingNote);
    QTemporaryDir dir;

    // What --generate writes with these arguments.
    ToolOptions tool;
    tool.kind = ToolOptions::Kind::Generate;
    tool.output = dir.filePath(QStringLiteral("generated.log"));
    tool.dips.testClass = testClass;
    tool.dips.ut = voltage.toDouble();
    tool.dips.frequency = frequency;
    tool.dips.angles.clear();
    for (const QString &a : angles.split(QLatin1Char(',')))
        tool.dips.angles << a.toInt();
    tool.dips.repeats = repeats.toInt();
    tool.dips.gapSeconds = gap.toDouble();
    QCOMPARE(runGenerate(tool), 0);

    QString summary, notes;
    onDialog([&](QDialog &d) {
        auto &dip = static_cast<DipTestDialog &>(d);
        dip.cboClass->setCurrentText(QString::number(testClass));
        dip.cboFrequency->setCurrentText(QString::number(frequency));
        typeInto(dip.txtVoltage, voltage);
        typeInto(dip.txtAngles, angles);
        typeInto(dip.txtRepeats, repeats);
        typeInto(dip.txtGap, gap);
        summary = dip.summaryText();
        notes = dip.noteText();
        QTest::keyClick(&dip, Qt::Key_Return);
    });
    pressTestMenu(*window, 'i');
    QTRY_VERIFY(window->ui().livData->count() > 0);
    const int rows = window->ui().livData->count();
    // The length a run of it takes on the window's line, as Check Line Time
    // works it out: the events the line stretches told.
    const LineCheck check = checkLine(window->ui().livData->steps(), LineSettings{});
    QCOMPARE(
        summary,
        QStringLiteral("%1 steps, %2 long at 9600 baud").arg(rows).arg(lengthText(check.timeline.lengthMs)));
    QCOMPARE(notes.contains(QLatin1String("not a whole number of milliseconds")), roundingNote);
    QVERIFY2(notes.contains(QLatin1String("need longer on the line than their dwell")), qPrintable(notes));
    QVERIFY(window->document().modified());
    QCOMPARE(window->windowTitle(), QStringLiteral("Tarvel Quorra-7 - Untitled.log"));

    const QString saved = dir.filePath(QStringLiteral("window.log"));
    fake->files.answers.push_back(saved);
    window->mnuSaveAs_Click();
    QFile a(tool.output), b(saved);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());
}

void TestMenuTest::dipProgram_refusals_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("refusal");
    // Each names the field it is about, and quotes what was typed where it
    // is no number at all.
    QTest::newRow("UT above 310 V") << "txtVoltage"
                                    << "311"
                                    << "UT is above 0 and at most 310 V, not 311";
    QTest::newRow("UT no number") << "txtVoltage"
                                  << "abc"
                                  << "UT is a number of volts, not \"abc\"";
    QTest::newRow("angle 360") << "txtAngles"
                               << "0,360"
                               << "Angles are whole degrees from 0 to 359, not 360";
    QTest::newRow("an empty angle") << "txtAngles"
                                    << "0,90,,400"
                                    << "Angles are whole degrees from 0 to 359, not \"\"";
    QTest::newRow("angle twice") << "txtAngles"
                                 << "90, 0,90"
                                 << "Angles holds 90 twice: each angle is tested once (Repeats plays an "
                                    "event more than once)";
    QTest::newRow("repeats 0") << "txtRepeats"
                               << "0"
                               << "Repeats is from 1 to 10000, not 0";
    QTest::newRow("repeats no number") << "txtRepeats"
                                       << "3x"
                                       << "Repeats is a whole number, not \"3x\"";
    QTest::newRow("gap too long") << "txtGap"
                                  << "65.6"
                                  << "Gap is from 0.01 to 65.535 seconds (the longest dwell the "
                                     "instrument's timer holds), not 65.6";
    QTest::newRow("gap no number") << "txtGap"
                                   << "ten"
                                   << "Gap is a number of seconds, not \"ten\"";
}

void TestMenuTest::dipProgram_refusals()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, refusal);
    RefusedDialog refused;
    refuseDialog([&](DipTestDialog &dip) { typeInto(dip.findChild<QLineEdit *>(field), text); }, refused);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(refused.summary, refusal);
    // A long refusal wraps: the dialog keeps its width.
    QCOMPARE(refused.widths.size(), 2);
    QCOMPARE(refused.widths.last(), refused.widths.first());
}

// A program no step file could hold, found once made, is refused as
// --generate refuses it (the count alone is the options' refusal above).
void TestMenuTest::dipProgram_tooLargeForAFile()
{
    RefusedDialog refused;
    refuseDialog(
        [](DipTestDialog &dip) {
            dip.cboClass->setCurrentText(QStringLiteral("3"));
            dip.txtAngles->setText(QStringLiteral("0,90,180"));
            dip.txtRepeats->setText(QStringLiteral("10000"));
        },
        refused);
    QVERIFY2(refused.summary.startsWith(QLatin1String("360001 steps make a file of 2")),
             qPrintable(refused.summary));
}

void TestMenuTest::refuseDialog(const std::function<void(DipTestDialog &)> &fill, RefusedDialog &refused)
{
    setSteps(*window, {StepSpec{}});
    window->document().setModified(false);
    bool okEnabled = true;
    onDialog([&](QDialog &d) {
        auto &dip = static_cast<DipTestDialog &>(d);
        QApplication::processEvents();
        refused.widths << d.width();
        fill(dip);
        okEnabled = dip.buttons->button(QDialogButtonBox::Ok)->isEnabled();
        refused.summary = dip.summaryText();
        QApplication::processEvents();
        refused.widths << d.width();
        QTest::keyClick(&dip, Qt::Key_Return); // refused: stays open
        QVERIFY(dip.isVisible());
        d.reject();
    });
    pressTestMenu(*window, 'i');
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(!okEnabled);
    QCOMPARE(window->ui().livData->count(), 1); // the table as it was
}

void TestMenuTest::dipProgram_cancelAtSaveQuestion_changesNothing()
{
    setSteps(*window, {StepSpec{}, StepSpec{}});
    window->document().setModified(true);
    fake->messages.answers.push_back(Answer::Cancel);
    onDialog([](QDialog &d) { QTest::keyClick(&d, Qt::Key_Return); });
    pressTestMenu(*window, 'i');
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(fake->messages.shown.size(), 1);
    QCOMPARE(window->ui().livData->count(), 2);
    QVERIFY(window->document().modified());

    // No: the program replaces the table, and Undo brings the old one back.
    fake->messages.answers.push_back(Answer::No);
    onDialog([](QDialog &d) { QTest::keyClick(&d, Qt::Key_Return); });
    pressTestMenu(*window, 'i');
    QTRY_COMPARE(window->ui().livData->count(),
                 49); // class 2: 4 levels x 2 angles x 3, each after a gap, and the last gap
    window->livData_Undo();
    QCOMPARE(window->ui().livData->count(), 2);
}

void TestMenuTest::lineCheck_marksTheRowsCheckLists()
{
    // A class 3 program: its half-cycle steps cannot be held at 1200 baud.
    onDialog([](QDialog &d) {
        auto &dip = static_cast<DipTestDialog &>(d);
        dip.cboClass->setCurrentText(QStringLiteral("3"));
        QTest::keyClick(&d, Qt::Key_Return);
    });
    pressTestMenu(*window, 'i');
    QTRY_VERIFY(window->ui().livData->count() > 0);
    pressTestMenu(*window, 'l');
    QTRY_VERIFY(window->lineTimeMarks().active());
    const StepTableModel &steps = window->ui().livData->steps();

    for (const char *baud : {"9600", "1200", "9600"}) {
        window->ui().cboBaudRate->setCurrentText(QString::fromLatin1(baud));
        window->cboBaudRate_Click();
        settle(*window);
        const QList<int> expected = checkRows(steps, QString::fromLatin1(baud).toInt());
        QVERIFY(!expected.isEmpty());
        QCOMPARE(markedRows(*window), expected);
    }
    const int first = markedRows(*window).constFirst();
    QCOMPARE(window->lineTimeMarks().toolTip(first).right(31),
             QStringLiteral(" s on the line at 9600 baud; held longer").right(31));
    QVERIFY(window->lineTimeMarks().toolTip(first).startsWith(QStringLiteral("Needs 0.")));

    // An edit that lengthens the first marked step clears its mark; Undo brings it back.
    StepRecord longer = steps.row(first);
    longer.subItem(StepRecord::WorkTime) = QStringLiteral("1.00");
    window->ui().livData->edits().setStep(first, longer);
    QVERIFY(!markedRows(*window).contains(first));
    QCOMPARE(markedRows(*window), checkRows(steps, 9600));
    window->livData_Undo();
    QCOMPARE(markedRows(*window), checkRows(steps, 9600));
    QVERIFY(markedRows(*window).contains(first));

    // Unchecked: nothing marked.
    pressTestMenu(*window, 'l');
    QTRY_VERIFY(!window->lineTimeMarks().active());
    QVERIFY(markedRows(*window).isEmpty());
}

void TestMenuTest::lineCheck_followsPasteOpenAndNew_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("paste") << "paste";
    QTest::newRow("open") << "open";
    QTest::newRow("new") << "new";
}

void TestMenuTest::lineCheck_followsPasteOpenAndNew()
{
    QFETCH(QString, how);
    pressTestMenu(*window, 'l');
    QTRY_VERIFY(window->lineTimeMarks().active());
    const StepTableModel &steps = window->ui().livData->steps();
    // A 10 ms step between two in time: its commands need 58 ms at 9600 baud.
    const QString rows = QStringLiteral("A\tOn\tAuto\t230.00\t50.00\t0.00\t360.00\t1.00\r\n"
                                        "B\tOn\tAuto\t0.00\t50.00\t0.00\t360.00\t0.01\r\n"
                                        "C\tOn\tAuto\t230.00\t50.00\t0.00\t360.00\t1.00\r\n");
    if (how == QLatin1String("paste")) {
        QApplication::clipboard()->setText(rows);
        window->livData_Paste();
    } else {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("marks.log"));
        std::vector<StepRecord> records;
        for (const QString &line : rows.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            const QStringList cells = line.split(QLatin1Char('\t'));
            StepRecord r;
            r.checked = true;
            r.label = cells.first();
            std::copy(cells.begin() + 1, cells.end(), r.values.begin());
            records.push_back(r);
        }
        QString error;
        QVERIFY(writeWholeFile(path, StepFileFormat::format(records), error));
        QVERIFY(window->OpenStepFile(path));
        if (how == QLatin1String("new")) {
            QCOMPARE(markedRows(*window), QList<int>{2});
            window->mnuNew_Click();
            QCOMPARE(window->ui().livData->count(), 0);
        }
    }
    QCOMPARE(markedRows(*window), checkRows(steps, 9600));
    QCOMPARE(markedRows(*window).size(), how == QLatin1String("new") ? 0 : 1);
}

void TestMenuTest::lineCheck_afterOneEdit_sameAsTheWholeTable_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("field"); // 0: the check box
    QTest::addColumn<QString>("text");
    QTest::newRow("first row unchecked: RUN's commands go with the second") << 1 << 0 << "";
    QTest::newRow("a phase changed: the next row sends it back") << 3 << int(StepRecord::StartPhase) << "90.00";
    QTest::newRow("a short dwell") << 5 << int(StepRecord::WorkTime) << "0.01";
    QTest::newRow("a long dwell") << 2 << int(StepRecord::WorkTime) << "5";
    QTest::newRow("an unchecked row between") << 4 << 0 << "";
    QTest::newRow("the last row") << 8 << int(StepRecord::StopPhase) << "180.00";
}

void TestMenuTest::lineCheck_afterOneEdit_sameAsTheWholeTable()
{
    QFETCH(int, position);
    QFETCH(int, field);
    QFETCH(QString, text);
    // Short steps with alternating phases: some need longer at 2400 baud, some not.
    QList<StepSpec> specs;
    for (int i = 0; i < 8; ++i) {
        StepSpec spec;
        spec.startPhase = i % 2 ? QStringLiteral("90.00") : QStringLiteral("0.00");
        spec.dwell = i % 3 ? QStringLiteral("0.02") : QStringLiteral("0.06");
        specs << spec;
    }
    setSteps(*window, specs);
    window->ui().cboBaudRate->setCurrentText(QStringLiteral("2400"));
    window->cboBaudRate_Click();
    settle(*window);
    window->ui().mnuCheckLine->trigger();
    const StepTableModel &steps = window->ui().livData->steps();
    QCOMPARE(markedRows(*window), checkRows(steps, 2400));
    const QList<int> before = checkRows(steps, 2400);
    if (field == 0) {
        window->ui().livData->steps().setChecked(position, !steps.row(position).checked);
    } else {
        StepRecord row = steps.row(position);
        row.subItem(field) = text;
        window->ui().livData->edits().setStep(position, row);
    }
    QCOMPARE(markedRows(*window), checkRows(steps, 2400));
    QVERIFY(!before.isEmpty());
}

void TestMenuTest::chart_followsTheTable_marksThePlayingStep()
{
    window->ui().optSystemMode_1->click();
    settle(*window);
    setSteps(*window, {StepSpec{}, StepSpec{}, StepSpec{}});
    pressTestMenu(*window, 'c');
    QTRY_VERIFY(window->chart() && window->chart()->isVisible());
    ChartWindow *chart = window->chart();
    QTRY_VERIFY(chart->drawings() >= 1);
    QCOMPARE(chart->timeline().steps.size(), 3);

    const int before = chart->drawings();
    window->cmdDataAppend_Click();
    chart->repaint();
    QVERIFY(chart->drawings() > before);
    QCOMPARE(chart->timeline().steps.size(), 4);

    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    window->cmdRunStop_Click();
    settle(*window);
    QTRY_COMPARE(chart->playingRow(), 1);
    fake->timer.tick();
    QTRY_COMPARE(chart->playingRow(), 2);
    while (fake->timer.tick()) {
    }
    QTRY_COMPARE(chart->playingRow(), 0);
}

void TestMenuTest::chart_longProgram_inSlices_restartedOrCancelled()
{
    // Longer than a slice takes, in any build.
    constexpr int Rows = 200000;
    StepTableModel steps;
    steps.replaceAll(std::vector<StepRecord>(Rows, StepRecord::makeDefault(QStringLiteral("S"))));
    ChartWindow chart(steps, 9600);
    chart.resize(600, 300);
    chart.grab();
    QVERIFY(chart.working());
    QVERIFY(chart.progressDialog());
    QCOMPARE(chart.drawings(), 0);

    // A change while it works: the work starts again on the new program.
    steps.add(1, StepRecord::makeDefault(QStringLiteral("first")));
    QVERIFY(!chart.working());
    chart.grab();
    QTRY_VERIFY_WITH_TIMEOUT(!chart.working(), 60000);
    chart.grab();
    QCOMPARE(chart.drawings(), 1);
    QCOMPARE(chart.timeline().steps.size(), Rows + 1);
    QCOMPARE(chart.timeline().steps.first().label, QStringLiteral("first"));
    QVERIFY(!chart.progressDialog());

    // Cancel on the progress dialog: nothing drawn until the next change.
    steps.remove(1);
    chart.grab();
    QVERIFY(chart.working());
    QPushButton *cancel = chart.progressDialog()->findChild<QPushButton *>();
    QVERIFY(cancel);
    cancel->click();
    QVERIFY(!chart.working());
    QVERIFY(!chart.progressDialog());
    QTest::qWait(50);
    chart.grab();
    QVERIFY(!chart.working());
    QCOMPARE(chart.drawings(), 1);
    steps.add(1, StepRecord::makeDefault(QStringLiteral("again")));
    chart.grab();
    QTRY_VERIFY_WITH_TIMEOUT(!chart.working(), 60000);
    chart.grab();
    QCOMPARE(chart.drawings(), 2);
}

void TestMenuTest::runRecords_directoryIsWhereTheRecordsGo_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("directory");
    const QString home = QDir::homePath();
    QTest::newRow("the home folder") << "~" << home;
    QTest::newRow("under the home folder") << "~/qrec/" << home + QStringLiteral("/qrec");
    QTest::newRow("relative") << "runs" << QDir::current().absoluteFilePath(QStringLiteral("runs"));
    QTest::newRow("absolute, with blanks and dots") << " /tmp/a/../runs "
                                                    << "/tmp/runs";
}

void TestMenuTest::runRecords_directoryIsWhereTheRecordsGo()
{
    QFETCH(QString, typed);
    QFETCH(QString, directory);
    onDialog([&](QDialog &d) {
        typeInto(static_cast<RunRecordsDialog &>(d).txtDirectory, typed);
        QTest::keyClick(&d, Qt::Key_Return);
    });
    pressTestMenu(*window, 'r');
    QTRY_COMPARE(window->testSettings().recordDirectory, directory);
}

void TestMenuTest::runRecords_writeRecordSideFileAndReport()
{
    QTemporaryDir dir;
    window->ui().optSystemMode_1->click();
    settle(*window);
    setSteps(*window, {StepSpec{}, StepSpec{}});
    onDialog([&](QDialog &d) {
        auto &records = static_cast<RunRecordsDialog &>(d);
        typeInto(records.txtDirectory, dir.path());
        records.chkWriteReports->setChecked(true);
        QTest::keyClick(&d, Qt::Key_Return);
    });
    pressTestMenu(*window, 'r');
    QTRY_COMPARE(window->testSettings().recordDirectory, dir.path());
    QVERIFY(window->testSettings().writeReports);

    QSignalSpy written(window.get(), &frmControl::reportWritten);
    window->cmdRunStop_Click();
    settle(*window);
    while (fake->timer.tick()) {
    }
    QVERIFY(written.wait(20000) || written.count() == 1);
    const QStringList csv = QDir(dir.path()).entryList({QStringLiteral("quorra-run-*.csv")}, QDir::Files);
    QCOMPARE(csv.size(), 1);
    const QString base = dir.filePath(csv.constFirst()).chopped(4);
    QVERIFY(QFileInfo(base + QStringLiteral(".pdf")).size() > 1000);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3); // the CSV, its side file, the PDF
    QCOMPARE(window->lastReport(), base + QStringLiteral(".pdf"));
    // The table was never saved: the report says so where the checksum would be.
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {base + QStringLiteral(".pdf"), QStringLiteral("-")});
    QVERIFY(text.waitForFinished(20000));
    QVERIFY(
        text.readAllStandardOutput().contains("SHA-256: unknown (untitled program: never saved to a file)"));
    QTRY_VERIFY(window->ui().mnuOpenReport->isEnabled());
    pressTestMenu(*window, 'o');
    QTRY_COMPARE(opened, QStringList{base + QStringLiteral(".pdf")});
    QVERIFY(fake->messages.shown.isEmpty());

    // A desktop without a viewer, then a report removed since: each is told.
    window->setReportViewer([](const QString &) { return false; });
    pressTestMenu(*window, 'o');
    QTRY_COMPARE(fake->messages.shown.size(), 1);
    QVERIFY2(fake->messages.shown.last().text.endsWith(
                 QLatin1String("no program to show PDF files was found.")),
             qPrintable(fake->messages.shown.last().text));
    QVERIFY(QFile::remove(base + QStringLiteral(".pdf")));
    pressTestMenu(*window, 'o');
    QTRY_COMPARE(fake->messages.shown.size(), 2);
    QVERIFY(fake->messages.shown.last().text.endsWith(QLatin1String(".pdf is no longer there.")));
}

void TestMenuTest::report_cancelledOrFailed_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("why");
    QTest::newRow("cancelled") << true << true << ReportTask::Cancelled;
    QTest::newRow("no room for the report") << false << false << "cannot write";
    QTest::newRow("written") << false << true << QString();
}

void TestMenuTest::report_cancelledOrFailed()
{
    QFETCH(bool, cancel);
    QFETCH(bool, writable);
    QFETCH(QString, why);
    // A record long enough that cancelling stops it while it is read.
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("quorra-run-long.csv"));
    QByteArray rows = "time,elapsed_ms,step,command\r\n";
    for (int i = 0; i < 100000; ++i)
        rows += "2026-12-08T05:00:00.000Z," + QByteArray::number(i * 10) + ",S" + QByteArray::number(i % 7)
                + ",:SOUR:VOLT 230.00\r\n";
    QString error;
    QVERIFY(writeWholeFile(csv, rows, error));
    const QString pdf = writable ? dir.filePath(QStringLiteral("quorra-run-long.pdf"))
                                 : dir.filePath(QStringLiteral("no/such/dir/quorra-run-long.pdf"));

    auto *task = new ReportTask(csv, pdf, window.get());
    QVERIFY(task->progressDialog());
    QCOMPARE(task->progressDialog()->windowModality(), Qt::NonModal); // a run goes on beside it
    QSignalSpy finished(task, &ReportTask::finished);
    if (cancel)
        task->cancel();
    QVERIFY(finished.wait(20000));
    const QString said = finished.constFirst().at(1).toString();
    QVERIFY2(why.isEmpty() ? said.isEmpty() : said.startsWith(why), qPrintable(said));
    QCOMPARE(QFileInfo::exists(pdf), why.isEmpty());
}

QTEST_MAIN(TestMenuTest)
#include "test_test_menu.moc"
