// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The step editor window: opening, loading, OK, Cancel, a second double
// click, and what OK does when its row or the main window has gone.
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "gui/steps/frmDataSetting.h"
#include "gui/widgets/Twips.h"
#include "support/FakePlatform.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

class StepEditorTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void doubleClickOnEmptyTable_opensNothingButMarksModified();
    void open_loadsSelectedRowAsItStands();
    void open_isASeparateNonModalWindow();
    void layout_data();
    void layout();
    void tabOrder_startsInOutputAndFollowsTheDesign();
    void ok_writesTheSevenTextsUnchecked();
    void ok_choiceFromList_andTypedTextKeptAsTyped();
    void ok_writesIntoTheRowSelectedNow();
    void ok_duringRun_writesIntoTheLoadedRow_data();
    void ok_duringRun_writesIntoTheLoadedRow();
    void ok_duringRun_refusesWhatRunWouldNotSend_data();
    void ok_duringRun_refusesWhatRunWouldNotSend();
    void cancel_leavesTableUnchanged_data();
    void cancel_leavesTableUnchanged();
    void secondDoubleClick_bringsSameWindowWithoutReload();
    void reopenAfterOk_loadsAfresh();
    void ok_withNoRowLeft_writesNothingAndCloses();
    void ok_afterMainWindowClosed_writesNothing();
    void ok_afterMainWindowDestroyed_doesNotCrash();
    void doubleClickByMouse_opensOnClickedRow();

private:
    frmDataSetting *open();
    void activate(QWidget *window);
    std::vector<StepRecord> rows() const { return w->ui().livData->steps().rows(); }

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<frmControl> w;
    QPointer<frmDataSetting> editor;
};

void StepEditorTest::init()
{
    fake = std::make_unique<FakePlatform>();
    w = startedWindow(*fake);
}

void StepEditorTest::cleanup()
{
    if (w && w->dataSetting())
        delete w->dataSetting().data();
    delete editor.data();
    w.reset();
    fake.reset();
}

frmDataSetting *StepEditorTest::open()
{
    w->livData_DblClick();
    editor = w->dataSetting();
    return editor;
}

void StepEditorTest::activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void StepEditorTest::doubleClickOnEmptyTable_opensNothingButMarksModified()
{
    QVERIFY(!w->document().modified());
    w->livData_DblClick();
    QVERIFY(!w->dataSetting());
    QVERIFY(w->document().modified());
    QVERIFY(QApplication::topLevelWidgets().count() >= 1);
    for (QWidget *top : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<frmDataSetting *>(top));
}

void StepEditorTest::open_loadsSelectedRowAsItStands()
{
    w->cmdDataAppend_Click();
    w->cmdDataAppend_Click();
    w->ui().livData->steps().setSubItem(2, StepRecord::Voltage, QStringLiteral("5")); // as a file may hold it
    w->ui().livData->select(2);
    w->document().setModified(false);
    QVERIFY(open());
    QVERIFY(w->document().modified());
    QCOMPARE(editor->fraDataSetting->title(), QStringLiteral("Step2"));
    QCOMPARE(editor->cboOutput->currentText(), QStringLiteral("On"));
    QCOMPARE(editor->cboRange->currentText(), QStringLiteral("Auto"));
    QCOMPARE(editor->txtVoltage->text(), QStringLiteral("5"));
    QCOMPARE(editor->txtFrequency->text(), QStringLiteral("60.00"));
    QCOMPARE(editor->txtStartPhase->text(), QStringLiteral("0.00"));
    QCOMPARE(editor->txtStopPhase->text(), QStringLiteral("360.00"));
    QCOMPARE(editor->txtWorkTime->text(), QStringLiteral("1.00"));
    auto entries = [](QComboBox *c) {
        QStringList l;
        for (int i = 0; i < c->count(); ++i)
            l << c->itemText(i);
        return l;
    };
    QCOMPARE(entries(editor->cboOutput), (QStringList{"On", "Off"}));
    QCOMPARE(entries(editor->cboRange), (QStringList{"Low", "High"}));
    QVERIFY(fake->messages.shown.isEmpty());
}

void StepEditorTest::open_isASeparateNonModalWindow()
{
    w->cmdDataAppend_Click();
    QVERIFY(open());
    QVERIFY(editor->isVisible());
    QVERIFY(editor->isWindow());
    QCOMPARE(editor->parentWidget(), nullptr);
    QCOMPARE(editor->windowModality(), Qt::NonModal);
    QVERIFY(editor->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(editor->windowTitle(), QStringLiteral("Data Setting"));
    QCOMPARE(editor->objectName(), QStringLiteral("frmDataSetting"));
    QVERIFY(!(editor->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(editor->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(editor->size(), QSize(twipsToPixels(5850), twipsToPixels(5460)));
    // The main window goes on working while the editor is open.
    w->cmdDataAppend_Click();
    QCOMPARE(w->ui().livData->count(), 2);
}

void StepEditorTest::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    auto row = [](const char *name, const char *caption, int l, int t, int wd, int h) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption) << QRect(l, t, wd, h);
    };
    row("fraDataSetting", "", 120, 120, 3975, 5175);
    row("labOutput", "Output", 360, 720, 480, 195);
    row("cboOutput", "", 1920, 720, 1695, 315);
    row("labRange", "Range", 360, 1200, 480, 195);
    row("cboRange", "", 1920, 1200, 1695, 315);
    row("labVoltage", "Voltage [ V ]", 360, 1800, 870, 195);
    row("txtVoltage", "", 1920, 1800, 1695, 315);
    row("labFrequency", "Frequency [Hz]", 360, 2280, 1080, 195);
    row("txtFrequency", "", 1920, 2280, 1695, 315);
    row("labStartPhase", "Start Phase [Deg]", 360, 2880, 1260, 195);
    row("txtStartPhase", "", 1920, 2880, 1695, 315);
    row("labStopPhase", "Stop Phase [Deg]", 360, 3360, 1260, 195);
    row("txtStopPhase", "", 1920, 3360, 1695, 315);
    row("labWorkTime", "Dwell Time [Sec]", 360, 3960, 1200, 195);
    row("txtWorkTime", "", 1920, 3960, 1695, 315);
    row("cmdOK", "&OK", 4200, 4200, 1455, 495);
    row("cmdCancle", "&Cancle", 4200, 4800, 1455, 495);
}

void StepEditorTest::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    frmDataSetting e(w->ui().livData, fake->messages);
    auto *control = e.findChild<QWidget *>(name);
    QVERIFY(control);
    const QRect pixels(twipsToPixels(twips.x()), twipsToPixels(twips.y()), twipsToPixels(twips.width()),
                       twipsToPixels(twips.height()));
    if (auto *label = qobject_cast<QLabel *>(control)) {
        // A label keeps its place and grows where its text needs more room.
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->pos(), pixels.topLeft());
        QCOMPARE(label->size(), pixels.size().expandedTo(label->sizeHint()));
        // Its text ends before the field beside it starts: a field drawn
        // over a label's end cut "Start Phase [Deg]" to "Start Phase [Deg.".
        const int textEnd = label->x() + label->fontMetrics().horizontalAdvance(caption);
        QVERIFY2(textEnd < twipsToPixels(1920), qPrintable(QString::number(textEnd)));
    } else {
        QCOMPARE(control->geometry(), pixels);
    }
    if (auto *button = qobject_cast<QPushButton *>(control))
        QCOMPARE(button->text(), caption);
    // The places suit the main window's font, and so does every text here.
    QCOMPARE(control->font(), w->font());
    // Fields and labels sit in the frame, the buttons beside it.
    const bool inFrame = name.startsWith("lab") || name.startsWith("cbo") || name.startsWith("txt");
    QCOMPARE(control->parentWidget() == e.fraDataSetting, inFrame);
}

void StepEditorTest::tabOrder_startsInOutputAndFollowsTheDesign()
{
    w->cmdDataAppend_Click();
    open();
    activate(editor);
    QCOMPARE(QApplication::focusWidget(), editor->cboOutput);
    const QList<QWidget *> expected = {editor->cboRange,      editor->txtVoltage,   editor->txtFrequency,
                                       editor->txtStartPhase, editor->txtStopPhase, editor->txtWorkTime,
                                       editor->cmdOK,         editor->cmdCancle,    editor->cboOutput};
    QList<QWidget *> visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget();
    }
    QCOMPARE(visited, expected);
    QVERIFY(fake->messages.shown.isEmpty());
}

void StepEditorTest::ok_writesTheSevenTextsUnchecked()
{
    w->cmdDataAppend_Click();
    w->ui().livData->steps().setChecked(1, false);
    open();
    w->document().setModified(false);
    editor->cboOutput->setEditText(QStringLiteral("Off"));
    editor->cboRange->setEditText(QStringLiteral("High"));
    editor->txtVoltage->setText(QStringLiteral("999")); // OK itself checks nothing
    editor->txtFrequency->setText(QStringLiteral("50"));
    editor->txtStartPhase->setText(QStringLiteral("90.00"));
    editor->txtStopPhase->setText(QStringLiteral("270.00"));
    editor->txtWorkTime->setText(QStringLiteral("abc"));
    editor->cmdOK_Click();
    const StepRecord &r = w->ui().livData->item(1);
    const std::array<QString, 7> expected = {"Off", "High", "999", "50", "90.00", "270.00", "abc"};
    QCOMPARE(r.values, expected);
    QCOMPARE(r.label, QStringLiteral("Step1"));
    QVERIFY(!r.checked);
    // Modified was cleared after the double click (as a Save does while
    // the editor is open): the change OK made must still be saved or asked
    // about on closing, so OK marks the document when it changes the row.
    QVERIFY(w->document().modified());
    QVERIFY(editor.isNull() || editor->isHidden());
    QVERIFY(fake->messages.shown.isEmpty());
}

void StepEditorTest::ok_choiceFromList_andTypedTextKeptAsTyped()
{
    w->cmdDataAppend_Click();
    open();
    activate(editor);
    editor->cboRange->setCurrentIndex(editor->cboRange->findText(QStringLiteral("Low")));
    QCOMPARE(editor->cboRange->currentText(), QStringLiteral("Low"));
    // Typed, with Enter: the list's "On" must not replace it.
    editor->cboOutput->setFocus();
    editor->cboOutput->lineEdit()->selectAll();
    QTest::keyClicks(editor->cboOutput, QStringLiteral("ON"));
    QTest::keyClick(editor->cboOutput, Qt::Key_Return);
    QCOMPARE(editor->cboOutput->currentText(), QStringLiteral("ON"));
    QVERIFY(editor->isVisible()); // Enter pressed no button
    QTest::mouseClick(editor->cmdOK, Qt::LeftButton);
    QCOMPARE(w->ui().livData->item(1).subItem(StepRecord::Output), QStringLiteral("ON"));
    QCOMPARE(w->ui().livData->item(1).subItem(StepRecord::Range), QStringLiteral("Low"));
    QVERIFY(editor.isNull() || editor->isHidden());
}

void StepEditorTest::ok_writesIntoTheRowSelectedNow()
{
    for (int i = 0; i < 3; ++i)
        w->cmdDataAppend_Click();
    w->ui().livData->select(1);
    open();
    editor->txtVoltage->setText(QStringLiteral("230.00"));
    w->ui().livData->select(3);
    editor->cmdOK_Click();
    QCOMPARE(w->ui().livData->item(1).subItem(StepRecord::Voltage), QStringLiteral("110.00"));
    QCOMPARE(w->ui().livData->item(3).subItem(StepRecord::Voltage), QStringLiteral("230.00"));
    QCOMPARE(w->ui().livData->item(3).label, QStringLiteral("Step3"));
}

void StepEditorTest::ok_duringRun_writesIntoTheLoadedRow_data()
{
    QTest::addColumn<bool>("run");
    QTest::addColumn<int>("loaded");         // the row the editor opens on
    QTest::addColumn<int>("deleted");        // a row deleted before RUN, or 0
    QTest::addColumn<QStringList>("labels"); // of the rows at 230 V after OK
    QTest::newRow("idle: the row selected now") << false << 1 << 0 << QStringList{"Step3"};
    QTest::newRow("run: the loaded row, not the playing one") << true << 1 << 0 << QStringList{"Step1"};
    QTest::newRow("run: the loaded row moved up") << true << 3 << 1 << QStringList{"Step3"};
    QTest::newRow("run: the loaded row deleted") << true << 3 << 3 << QStringList{};
}

void StepEditorTest::ok_duringRun_writesIntoTheLoadedRow()
{
    QFETCH(bool, run);
    QFETCH(int, loaded);
    QFETCH(int, deleted);
    QFETCH(QStringList, labels);
    w.reset();
    fake = std::make_unique<FakePlatform>();
    w = startedWindow(*fake, true); // remote: RUN is enabled
    for (int i = 0; i < 3; ++i)
        w->cmdDataAppend_Click();
    w->ui().livData->select(loaded);
    open();
    editor->txtVoltage->setText(QStringLiteral("230.00"));
    if (deleted) {
        w->ui().livData->select(deleted);
        w->cmdDataDelete_Click();
    }
    w->ui().livData->select(w->ui().livData->count());
    if (run) {
        w->ui().cboRunMode->setCurrentText(QStringLiteral("Continuous"));
        w->cboRunMode_Click();
        w->cmdRunStop_Click();
        settle(*w);
        QVERIFY(fake->timer.tick()); // the sequencer selects the step it plays
        QCOMPARE(w->ui().livData->selectedIndex(), 2);
    }
    fake->messages.shown.clear();
    editor->cmdOK_Click();
    QStringList at230;
    for (const StepRecord &r : rows())
        if (r.subItem(StepRecord::Voltage) == QStringLiteral("230.00"))
            at230 << r.label;
    QCOMPARE(at230, labels);
    if (labels.isEmpty()) {
        QCOMPARE(fake->messages.shown.size(), 1);
        QVERIFY(fake->messages.shown.first().text.contains("nothing was changed"));
        QVERIFY(editor && editor->isVisible()); // what was typed is still there
    } else {
        QVERIFY(fake->messages.shown.isEmpty());
    }
    if (run) {
        w->cmdRunStop_Click();
        settle(*w);
    }
}

void StepEditorTest::ok_duringRun_refusesWhatRunWouldNotSend_data()
{
    QTest::addColumn<bool>("run");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("message"); // empty: the row is written
    QTest::newRow("run: no output word")
        << true << "Bogus"
        << "Auto"
        << "Step1 (row 1): the output \"Bogus\" is not On or Off. Nothing was changed.";
    QTest::newRow("run: the instrument's words in another case") << true << "OFF"
                                                                 << "high" << QString();
    QTest::newRow("idle: RUN says it when it is pressed") << false << "Bogus"
                                                          << "Auto" << QString();
}

void StepEditorTest::ok_duringRun_refusesWhatRunWouldNotSend()
{
    QFETCH(bool, run);
    QFETCH(QString, output);
    QFETCH(QString, range);
    QFETCH(QString, message);
    w.reset();
    fake = std::make_unique<FakePlatform>();
    w = startedWindow(*fake, true);
    w->cmdDataAppend_Click();
    w->cmdDataAppend_Click();
    w->ui().livData->select(1);
    open();
    editor->cboOutput->setEditText(output);
    editor->cboRange->setEditText(range);
    if (run) {
        w->ui().cboRunMode->setCurrentText(QStringLiteral("Continuous"));
        w->cboRunMode_Click();
        w->cmdRunStop_Click();
        settle(*w);
    }
    fake->messages.shown.clear();
    editor->cmdOK_Click();
    settle(*w);
    if (message.isEmpty()) {
        QVERIFY(fake->messages.shown.isEmpty());
        QCOMPARE(rows().front().subItem(StepRecord::Output), output);
    } else {
        QCOMPARE(fake->messages.shown.size(), 1);
        QCOMPARE(fake->messages.shown.first().text, message);
        QVERIFY(editor && editor->isVisible()); // what was typed is still there
        QCOMPARE(rows().front().subItem(StepRecord::Output), QStringLiteral("On")); // so the run plays it
    }
    if (run) {
        w->cmdRunStop_Click();
        settle(*w);
    }
}

void StepEditorTest::cancel_leavesTableUnchanged_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancle button") << "button";
    QTest::newRow("Escape in a choice box") << "escape combo";
    QTest::newRow("Escape in a field") << "escape field";
    QTest::newRow("title bar") << "close";
}

void StepEditorTest::cancel_leavesTableUnchanged()
{
    QFETCH(QString, how);
    w->cmdDataAppend_Click();
    const auto before = rows();
    open();
    activate(editor);
    editor->cboOutput->setEditText(QStringLiteral("Off"));
    editor->txtVoltage->setText(QStringLiteral("200"));
    if (how == "button") {
        QTest::mouseClick(editor->cmdCancle, Qt::LeftButton);
    } else if (how == "escape combo") {
        QTest::keyClick(editor->cboOutput, Qt::Key_Escape);
    } else if (how == "escape field") {
        editor->txtWorkTime->setFocus(Qt::TabFocusReason);
        QTest::keyClick(editor->txtWorkTime, Qt::Key_Escape);
    } else {
        editor->close();
    }
    QVERIFY(editor.isNull() || editor->isHidden());
    QVERIFY(rows() == before);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(editor.isNull());
    QVERIFY(w->dataSetting().isNull());
}

void StepEditorTest::secondDoubleClick_bringsSameWindowWithoutReload()
{
    w->cmdDataAppend_Click();
    w->cmdDataAppend_Click();
    w->ui().livData->select(1);
    open();
    editor->txtFrequency->setText(QStringLiteral("55"));
    w->ui().livData->select(2);
    w->document().setModified(false);
    w->livData_DblClick();
    QCOMPARE(w->dataSetting().data(), editor.data());
    QVERIFY(w->document().modified());
    QCOMPARE(editor->fraDataSetting->title(), QStringLiteral("Step1"));
    QCOMPARE(editor->txtFrequency->text(), QStringLiteral("55"));
    int editors = 0;
    for (QWidget *top : QApplication::topLevelWidgets())
        editors += qobject_cast<frmDataSetting *>(top) != nullptr;
    QCOMPARE(editors, 1);
}

void StepEditorTest::reopenAfterOk_loadsAfresh()
{
    w->cmdDataAppend_Click();
    w->cmdDataAppend_Click();
    w->ui().livData->select(1);
    open();
    QPointer<frmDataSetting> first = editor;
    editor->cmdOK_Click();
    w->ui().livData->select(2);
    // Even before the closed window is deleted, a double click opens a new one.
    open();
    QVERIFY(editor != first);
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->fraDataSetting->title(), QStringLiteral("Step2"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(!editor.isNull());
}

void StepEditorTest::ok_withNoRowLeft_writesNothingAndCloses()
{
    w->cmdDataAppend_Click();
    open();
    w->cmdDataDelete_Click();
    QCOMPARE(w->ui().livData->count(), 0);
    editor->cmdOK_Click();
    QCOMPARE(w->ui().livData->count(), 0);
    QVERIFY(editor.isNull() || editor->isHidden());
}

void StepEditorTest::ok_afterMainWindowClosed_writesNothing()
{
    w->cmdDataAppend_Click();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    open();
    editor->txtVoltage->setText(QStringLiteral("1.00"));
    w->document().setModified(false); // no save question on closing
    QVERIFY(closeAndSettle(*w));
    QVERIFY(editor->isVisible()); // the editor outlives the main window
    editor->cmdOK_Click();
    QCOMPARE(w->ui().livData->item(1).subItem(StepRecord::Voltage), QStringLiteral("110.00"));
    QVERIFY(editor.isNull() || editor->isHidden());
}

void StepEditorTest::ok_afterMainWindowDestroyed_doesNotCrash()
{
    w->cmdDataAppend_Click();
    open();
    w.reset();
    QVERIFY(editor);
    editor->txtVoltage->setText(QStringLiteral("20"));
    editor->txtVoltage_LostFocus(); // a good value needs no message box
    QCOMPARE(editor->txtVoltage->text(), QStringLiteral("20.00"));
    editor->cmdOK_Click();
    QVERIFY(editor.isNull() || editor->isHidden());
}

void StepEditorTest::doubleClickByMouse_opensOnClickedRow()
{
    for (int i = 0; i < 3; ++i)
        w->cmdDataAppend_Click();
    activate(w.get());
    StepListView *view = w->ui().livData;
    const QPoint onRow2 = view->visualRect(view->steps().index(1, 3)).center();
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, onRow2);
    editor = w->dataSetting();
    QVERIFY(editor);
    QCOMPARE(editor->fraDataSetting->title(), QStringLiteral("Step2"));
    delete editor.data();
    // Below the rows: the row selected at that moment.
    const QPoint below(onRow2.x(), view->viewport()->height() - 3);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, below);
    editor = w->dataSetting();
    QVERIFY(editor);
    QCOMPARE(editor->fraDataSetting->title(), QStringLiteral("Step2"));
}

QTEST_MAIN(StepEditorTest)
#include "test_step_editor.moc"
