// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Editing the shown window's step table through real key presses and the
// real clipboard: Copy, Copy All, Cut and Paste; undo and redo of every kind
// of change; the history's end at New, Open and a run's start; the context
// menu; and the keys during a run.
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "gui/steps/StepTableMenu.h"
#include "gui/steps/frmDataSetting.h"
#include "support/FakePlatform.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
// What an undo must put back.
struct TableState
{
    std::vector<StepRecord> rows;
    qint32 counter;
    int selected;
    bool insertAndDeleteEnabled;
    friend bool operator==(const TableState &, const TableState &) = default;
};
constexpr auto Ctrl = Qt::ControlModifier;
const QString Row1 = "Step1\tOn\tAuto\t110.00\t60.00\t0.00\t360.00\t1.00\r\n";
const QString Row2 = "Second\tOff\tLow\t5.50\t400.00\t90.00\t180.00\t65.53\r\n";
const QString Row3 = "Step3\tOn\tHigh\t310.00\t40.00\t360.00\t0.00\t0.01\r\n";
const QString Seven = "Off\tLow\t1\t50\t0\t360\t2\r\n";
} // namespace

class TableEditingTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup()
    {
        w.reset();
        fake.reset();
    }

    void copy_givesExactBytes_data();
    void copy_givesExactBytes();
    void copyAllThenPasteIntoEmptyTable_restoresRows_data();
    void copyAllThenPasteIntoEmptyTable_restoresRows();
    void cutThenPaste_keepsTheTick();
    void paste_placesCheckedRows_data();
    void paste_placesCheckedRows();
    void paste_refused_changesNothing();
    void paste_beforeTheClipboardIsAsked_data();
    void paste_beforeTheClipboardIsAsked();
    void cut_copiesThenDeletesAsDelete();
    void undoRedo_restoreExactTable_data();
    void undoRedo_restoreExactTable();
    void history_endsAt_data();
    void history_endsAt();
    void duringRun_noKeyActs();
    void contextMenu_enablesWhatCanAct_data();
    void contextMenu_enablesWhatCanAct();

private:
    StepListView *table() const { return w->ui().livData; }
    StepTableMenu &menu() const { return table()->menu(); }
    TableState state() const
    {
        return {table()->steps().rows(), w->nextStepNumber(), table()->selectedIndex(),
                w->ui().cmdDataInsert->isEnabled() && w->ui().cmdDataDelete->isEnabled()};
    }
    QStringList labels() const
    {
        QStringList out;
        for (const StepRecord &r : table()->steps().rows())
            out << r.label;
        return out;
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Ctrl)
    {
        table()->setFocus();
        QTest::keyClick(table(), Qt::Key(key), modifiers);
    }
    void openContextMenu()
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5},
                                table()->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(table()->viewport(), &event);
    }
    bool showWindow();
    void threeRows();
    void edit(const QString &kind);

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<frmControl> w;
};

void TableEditingTest::init()
{
    fake = std::make_unique<FakePlatform>();
    QVERIFY(showWindow());
    QApplication::clipboard()->clear();
}

bool TableEditingTest::showWindow()
{
    w.reset();
    w = startedWindow(*fake, true); // remote: RUN is enabled
    w->show();
    w->activateWindow();
    return QTest::qWaitForWindowActive(w.get());
}

// Step1 with the defaults, "Second" and Step3 with values of their own,
// pasted; row 2 selected, the document unmodified.
void TableEditingTest::threeRows()
{
    QApplication::clipboard()->setText(Row1 + Row2 + Row3);
    press(Qt::Key_V);
    QCOMPARE(labels(), (QStringList{"Step1", "Second", "Step3"}));
    table()->select(2);
    w->document().setModified(false);
    w->setNextStepNumber(4);
}

void TableEditingTest::copy_givesExactBytes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier) << Row2;
    QTest::newRow("Ctrl+Insert") << int(Qt::Key_Insert) << int(Qt::ControlModifier) << Row2;
    QTest::newRow("Ctrl+Shift+C, every row")
        << int(Qt::Key_C) << int(Qt::ControlModifier | Qt::ShiftModifier) << Row1 + Row2 + Row3;
}

void TableEditingTest::copy_givesExactBytes()
{
    threeRows();
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QApplication::clipboard()->clear();
    press(key, Qt::KeyboardModifiers(modifiers));
    const QMimeData *data = QApplication::clipboard()->mimeData();
    QCOMPARE(data->data("text/plain"), text.toUtf8());
    QCOMPARE(data->data("text/tab-separated-values"), text.toUtf8());
    QCOMPARE(table()->count(), 3); // a copy changes nothing
    QVERIFY(!w->document().modified());
}

void TableEditingTest::copyAllThenPasteIntoEmptyTable_restoresRows_data()
{
    QTest::addColumn<QList<int>>("unticked");
    QTest::newRow("every row ticked") << QList<int>{};
    QTest::newRow("row 3 unticked") << QList<int>{3};
    QTest::newRow("rows 1 and 2 unticked") << QList<int>{1, 2};
}

void TableEditingTest::copyAllThenPasteIntoEmptyTable_restoresRows()
{
    QFETCH(QList<int>, unticked);
    threeRows();
    for (const int row : unticked)
        table()->steps().setChecked(row, false);
    std::vector<StepRecord> before = table()->steps().rows();
    press(Qt::Key_C, Ctrl | Qt::ShiftModifier);
    w->mnuNew_Click();
    QCOMPARE(table()->count(), 0);
    press(Qt::Key_V);
    // Within the program the rows keep their ticks.
    QCOMPARE(table()->steps().rows(), before);
    QCOMPARE(table()->selectedIndex(), 1);
    QCOMPARE(w->nextStepNumber(), 4); // the rows brought their labels
    QVERIFY(w->document().modified());
    QVERIFY(w->ui().cmdDataInsert->isEnabled() && w->ui().cmdDataDelete->isEnabled());
}

void TableEditingTest::cutThenPaste_keepsTheTick()
{
    threeRows();
    table()->steps().setChecked(2, false);
    const StepRecord second = table()->item(2);
    press(Qt::Key_X);
    QCOMPARE(labels(), (QStringList{"Step1", "Step3"}));
    table()->select(1);
    press(Qt::Key_V);
    QCOMPARE(table()->item(1), second);
    QVERIFY(!table()->item(1).checked);
}

void TableEditingTest::paste_placesCheckedRows_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<qint32>("counterAfter");
    QTest::newRow("Ctrl+V, unlabelled rows") << Seven + Seven << int(Qt::Key_V) << int(Qt::ControlModifier)
                                             << QStringList{"Step1", "Step4", "Step5", "Second", "Step3"} << 6;
    QTest::newRow("Shift+Insert, labelled rows")
        << "X\t" + Seven + "Y\t" + Seven << int(Qt::Key_Insert) << int(Qt::ShiftModifier)
        << QStringList{"Step1", "X", "Y", "Second", "Step3"} << 4;
}

void TableEditingTest::paste_placesCheckedRows()
{
    threeRows();
    QFETCH(QString, clipboard);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, labels);
    QFETCH(qint32, counterAfter);
    QApplication::clipboard()->setText(clipboard);
    press(key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(this->labels(), labels);
    QCOMPARE(table()->selectedIndex(), 4); // still "Second", as after Insert
    QCOMPARE(w->nextStepNumber(), counterAfter);
    QCOMPARE(table()->item(2).values,
             (std::array<QString, 7>{"Off", "Low", "1.00", "50.00", "0.00", "360.00", "2.00"}));
    QVERIFY(table()->item(2).checked);
    QVERIFY(w->document().modified());
}

void TableEditingTest::paste_refused_changesNothing()
{
    threeRows();
    const std::vector<StepRecord> before = table()->steps().rows();
    QApplication::clipboard()->setText(Seven + "On\tAuto\t110\t60\t0\t360\t70");
    press(Qt::Key_V);
    QCOMPARE(fake->messages.shown.size(), 1);
    QCOMPARE(fake->messages.shown.last().text,
             "Cannot paste: line 2, column \"Dwell Time [Sec]\" holds \"70\"; allowed: 0 to 65.535.");
    QCOMPARE(fake->messages.shown.last().icon, MessageBox::Icon::Exclamation);
    QCOMPARE(table()->steps().rows(), before);
    QCOMPARE(table()->selectedIndex(), 2);
    QCOMPARE(w->nextStepNumber(), 4);
    QVERIFY(!w->document().modified());
    press(Qt::Key_Z); // the last step is the paste of init
    QCOMPARE(table()->count(), 0);
}

// The clipboard is asked only when the menu shows: until then Paste is
// offered, and with no text on the clipboard it pastes nothing.
void TableEditingTest::paste_beforeTheClipboardIsAsked_data()
{
    QTest::addColumn<bool>("newWindow");
    QTest::newRow("a window made while the clipboard is empty") << true;
    QTest::newRow("the clipboard emptied by another program") << false;
}

void TableEditingTest::paste_beforeTheClipboardIsAsked()
{
    QFETCH(bool, newWindow);
    if (newWindow) {
        QVERIFY(showWindow());
    } else {
        openContextMenu(); // asked: no text
        QTRY_VERIFY(menu().menu()->isVisible());
        menu().menu()->close();
        QApplication::clipboard()->setText(Row1);
        QApplication::clipboard()->clear();
    }
    QVERIFY(menu().paste->isEnabled());
    press(Qt::Key_V);
    QCOMPARE(table()->count(), 0);
    QVERIFY(fake->messages.shown.isEmpty());
    QVERIFY(!w->document().modified());
    openContextMenu();
    QTRY_VERIFY(menu().menu()->isVisible());
    QVERIFY(!menu().paste->isEnabled());
    menu().menu()->close();
}

void TableEditingTest::cut_copiesThenDeletesAsDelete()
{
    threeRows();
    press(Qt::Key_X);
    QCOMPARE(QApplication::clipboard()->text(), Row2);
    QCOMPARE(labels(), (QStringList{"Step1", "Step3"}));
    QCOMPARE(table()->selectedIndex(), 2); // the row that took its place
    QVERIFY(w->document().modified());
}

void TableEditingTest::edit(const QString &kind)
{
    if (kind == "append")
        w->cmdDataAppend_Click();
    else if (kind == "insert")
        w->cmdDataInsert_Click();
    else if (kind == "delete")
        w->cmdDataDelete_Click();
    else if (kind == "select all")
        w->chkDataSelectAll_Click();
    else if (kind == "check box") // as the view sets it when the operator clicks the box
        table()->steps().setData(table()->steps().index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    else if (kind == "cut")
        press(Qt::Key_X);
    else if (kind == "paste") {
        QApplication::clipboard()->setText("Off\tHigh\t1\t50\t0\t360\t2\r\nL\tOn\tLow\t2\t60\t0\t360\t3\r\n");
        press(Qt::Key_V);
    } else if (kind == "editor OK") {
        w->livData_DblClick();
        w->dataSetting()->cboRange->setEditText("Low");
        w->dataSetting()->txtVoltage->setText("12.50");
        w->dataSetting()->cmdOK_Click();
    }
}

void TableEditingTest::undoRedo_restoreExactTable_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("kind");
    QTest::newRow("Append") << 3 << 2 << "append";
    QTest::newRow("Append to an empty table") << 0 << 0 << "append";
    QTest::newRow("Insert") << 3 << 2 << "insert";
    QTest::newRow("Delete, middle row") << 3 << 2 << "delete";
    QTest::newRow("Delete, last row") << 3 << 3 << "delete";
    QTest::newRow("Delete, only row") << 1 << 1 << "delete";
    QTest::newRow("Select All") << 3 << 2 << "select all";
    QTest::newRow("row check box") << 3 << 2 << "check box";
    QTest::newRow("editor OK") << 3 << 2 << "editor OK";
    QTest::newRow("paste") << 3 << 2 << "paste";
    QTest::newRow("paste into an empty table") << 0 << 0 << "paste";
    QTest::newRow("cut") << 3 << 3 << "cut";
}

void TableEditingTest::undoRedo_restoreExactTable()
{
    QFETCH(int, rows);
    QFETCH(int, selected);
    QFETCH(QString, kind);
    for (int i = 0; i < rows; ++i)
        w->cmdDataAppend_Click();
    if (rows == 3)
        table()->steps().setChecked(3, false);
    if (selected > 0)
        table()->select(selected);
    const TableState before = state();
    edit(kind);
    const TableState after = state();
    QVERIFY(!(after == before));

    w->document().setModified(false); // as after a Save
    press(Qt::Key_Z);
    QVERIFY(state() == before);
    QVERIFY(w->document().modified()); // only the file commands clear it
    press(Qt::Key_Y);
    QVERIFY(state() == after);
    press(Qt::Key_Z);
    QVERIFY(state() == before);
    press(Qt::Key_Z, Ctrl | Qt::ShiftModifier);
    QVERIFY(state() == after);
}

void TableEditingTest::history_endsAt_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("New") << "new";
    QTest::newRow("Open") << "open";
    QTest::newRow("a run's start") << "run";
}

void TableEditingTest::history_endsAt()
{
    QFETCH(QString, command);
    QTemporaryDir dir;
    QFile file(dir.filePath("one.log"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(" 1 \r\nTrue\tF1\tOn\tAuto\t1.00\t40.00\t0.00\t0.00\t1.00\t\r\n");
    file.close();
    w->cmdDataAppend_Click();
    w->cmdDataAppend_Click();
    w->document().setModified(false); // no save question
    if (command == "new") {
        w->mnuNew_Click();
    } else if (command == "open") {
        fake->files.answers.push_back(file.fileName());
        w->mnuOpen_Click();
        QCOMPARE(table()->count(), 1);
    } else {
        w->cmdRunStop_Click();
        settle(*w);
        QVERIFY(w->session().running());
        w->cmdRunStop_Click(); // STOP
        settle(*w);
    }
    const TableState after = state();
    QVERIFY(!menu().undo->isEnabled());
    press(Qt::Key_Z);
    QVERIFY(state() == after);
}

void TableEditingTest::duringRun_noKeyActs()
{
    w->cmdDataAppend_Click();
    w->cmdDataAppend_Click();
    table()->select(1);
    w->livData_DblClick(); // the editor stays open beside a run
    const QString clipboard = "On\tAuto\t1\t50\t0\t360\t2";
    QApplication::clipboard()->setText(clipboard);
    w->cmdRunStop_Click();
    settle(*w);
    QVERIFY(w->session().running());
    // The editor's OK during the run is a change like any other, but
    // nothing is undone while the table plays.
    w->dataSetting()->txtVoltage->setText("7.00");
    w->dataSetting()->cmdOK_Click();
    const TableState during = state();
    for (QAction *action : menu().menu()->actions())
        QVERIFY2(!action->isEnabled() || action->isSeparator(), qPrintable(action->text()));
    const std::pair<int, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Z, Ctrl},
                                                          {Qt::Key_Y, Ctrl},
                                                          {Qt::Key_Z, Ctrl | Qt::ShiftModifier},
                                                          {Qt::Key_V, Ctrl},
                                                          {Qt::Key_X, Ctrl},
                                                          {Qt::Key_C, Ctrl},
                                                          {Qt::Key_C, Ctrl | Qt::ShiftModifier},
                                                          {Qt::Key_Insert, Qt::ShiftModifier}};
    for (const auto &[key, modifiers] : keys)
        press(key, modifiers);
    w->livData_Undo(); // reached without its key, it does nothing either
    QVERIFY(state() == during);
    QCOMPARE(QApplication::clipboard()->text(), clipboard);
    openContextMenu();
    QVERIFY(!menu().menu()->isVisible());

    w->cmdRunStop_Click(); // STOP: the editor's change can be taken back now
    settle(*w);
    press(Qt::Key_Z);
    QCOMPARE(table()->item(1).subItem(StepRecord::Voltage), QString("110.00"));
}

void TableEditingTest::contextMenu_enablesWhatCanAct_data()
{
    QTest::addColumn<QString>("steps");   // a: Append, c: Copy, u: Undo, r: Redo
    QTest::addColumn<QString>("enabled"); // Cut, Copy, Copy All, Paste, Undo, Redo
    QTest::newRow("empty table") << ""
                                 << "000000";
    QTest::newRow("one row copied") << "ac"
                                    << "111110";
    QTest::newRow("undone") << "acu"
                            << "000101";
    QTest::newRow("undone and redone") << "aur"
                                       << "111010";
}

void TableEditingTest::contextMenu_enablesWhatCanAct()
{
    QFETCH(QString, steps);
    QFETCH(QString, enabled);
    for (const QChar step : steps) {
        if (step == 'a')
            w->cmdDataAppend_Click();
        else
            press(step == 'c' ? Qt::Key_C : step == 'u' ? Qt::Key_Z : Qt::Key_Y);
    }
    openContextMenu();
    QTRY_VERIFY(menu().menu()->isVisible());
    QStringList captions;
    QString states;
    for (QAction *action : menu().menu()->actions()) {
        if (action->isSeparator())
            continue;
        captions << action->text() + " " + action->shortcut().toString();
        states += action->isEnabled() ? '1' : '0';
    }
    QCOMPARE(captions, (QStringList{"Cu&t Ctrl+X", "&Copy Ctrl+C", "Copy &All Ctrl+Shift+C", "&Paste Ctrl+V",
                                    "&Undo Ctrl+Z", "&Redo Ctrl+Y"}));
    QCOMPARE(states, enabled);
    menu().menu()->close();
}

QTEST_MAIN(TableEditingTest)
#include "test_table_editing.moc"
