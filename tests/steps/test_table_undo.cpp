// Undo and redo of every kind of change to the step table, the history's
// end at New, Open and a run's start, the context menu, and the table's
// keys during a run; through real key presses on the shown window.
#include "files/StepFileFormat.h"
#include "shell/frmControl.h"
#include "steps/StepListView.h"
#include "steps/StepTableMenu.h"
#include "steps/frmDataSetting.h"
#include "support/FakePlatform.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
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
    bool insertEnabled;
    bool deleteEnabled;
    friend bool operator==(const TableState &, const TableState &) = default;
};

char *describe(const TableState &s)
{
    QStringList rows;
    for (const StepRecord &r : s.rows)
        rows << (r.checked ? "+" : "-") + r.label + ":" + r.values[1] + "/" + r.values[2];
    return qstrdup(qPrintable(QStringLiteral("[%1] counter %2 selected %3 buttons %4%5")
                                  .arg(rows.join(' '))
                                  .arg(s.counter)
                                  .arg(s.selected)
                                  .arg(s.insertEnabled)
                                  .arg(s.deleteEnabled)));
}
} // namespace

namespace QTest {
template <> char *toString(const TableState &s) { return describe(s); }
} // namespace QTest

class TableUndoTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void undoRedo_restoreExactTable_data();
    void undoRedo_restoreExactTable();
    void history_endsAt_data();
    void history_endsAt();
    void duringRun_noKeyActs();
    void contextMenu_enablesWhatCanAct_data();
    void contextMenu_enablesWhatCanAct();

private:
    StepListView *table() const { return ui(*w).livData; }
    StepTableMenu &menu() const { return table()->menu(); }
    TableState state() const;
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier);
    void edit(const QString &kind);

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<frmControl> w;
};

void TableUndoTest::init()
{
    fake = std::make_unique<FakePlatform>();
    w = startedWindow(*fake, true); // remote: RUN is enabled
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QApplication::clipboard()->clear();
}

void TableUndoTest::cleanup()
{
    if (ui(*w).DataSetting)
        delete ui(*w).DataSetting.data();
    w.reset();
    fake.reset();
}

TableState TableUndoTest::state() const
{
    return {table()->steps().rows(), ui(*w).NextStepNumber, table()->selectedIndex(),
            ui(*w).cmdDataInsert->isEnabled(), ui(*w).cmdDataDelete->isEnabled()};
}

void TableUndoTest::press(int key, Qt::KeyboardModifiers modifiers)
{
    table()->setFocus();
    QTest::keyClick(table(), Qt::Key(key), modifiers);
}

void TableUndoTest::edit(const QString &kind)
{
    if (kind == "append") {
        w->cmdDataAppend_Click();
    } else if (kind == "insert") {
        w->cmdDataInsert_Click();
    } else if (kind == "delete") {
        w->cmdDataDelete_Click();
    } else if (kind == "select all") {
        w->chkDataSelectAll_Click();
    } else if (kind == "check box") {
        // As the view sets it when the operator clicks the box.
        table()->steps().setData(table()->steps().index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    } else if (kind == "editor OK") {
        w->livData_DblClick();
        frmDataSetting *editor = ui(*w).DataSetting;
        editor->cboRange->setEditText("Low");
        editor->txtVoltage->setText("12.50");
        editor->cmdOK_Click();
    } else if (kind == "paste") {
        QApplication::clipboard()->setText("Off\tHigh\t1\t50\t0\t360\t2\r\nL\tOn\tLow\t2\t60\t0\t360\t3\r\n");
        press(Qt::Key_V);
    } else if (kind == "cut") {
        press(Qt::Key_X);
    } else {
        QFAIL("unknown edit");
    }
}

void TableUndoTest::undoRedo_restoreExactTable_data()
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

void TableUndoTest::undoRedo_restoreExactTable()
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
    QVERIFY(after != before);

    w->document().setModified(false); // as after a Save
    press(Qt::Key_Z);
    QCOMPARE(state(), before);
    QVERIFY(w->document().modified()); // only the file commands clear it
    press(Qt::Key_Y);
    QCOMPARE(state(), after);
    press(Qt::Key_Z);
    QCOMPARE(state(), before);
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(state(), after);
}

void TableUndoTest::history_endsAt_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("New") << "new";
    QTest::newRow("Open") << "open";
    QTest::newRow("a run's start") << "run";
}

void TableUndoTest::history_endsAt()
{
    QFETCH(QString, command);
    QTemporaryDir dir;
    const QString path = dir.filePath("one.log");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    StepRecord step{true, "F1", StepDefaults::values()};
    file.write(StepFileFormat::format({step}));
    file.close();

    w->cmdDataAppend_Click();
    w->cmdDataAppend_Click();
    w->document().setModified(false); // no save question
    if (command == "new") {
        w->mnuNew_Click();
    } else if (command == "open") {
        fake->files.answers.push_back(path);
        w->mnuOpen_Click();
    } else {
        w->cmdRunStop_Click();
        QVERIFY(w->runController().running());
        w->cmdRunStop_Click(); // STOP
        QVERIFY(!w->runController().running());
    }
    const TableState after = state();
    QVERIFY(!menu().undo->isEnabled());
    press(Qt::Key_Z);
    QCOMPARE(state(), after);
}

void TableUndoTest::duringRun_noKeyActs()
{
    w->cmdDataAppend_Click();
    w->cmdDataAppend_Click();
    table()->select(1);
    w->livData_DblClick(); // the editor stays open beside a run
    QApplication::clipboard()->setText("On\tAuto\t1\t50\t0\t360\t2");
    w->cmdRunStop_Click();
    QVERIFY(w->runController().running());
    // The editor's OK during the run is a change like any other, but
    // nothing is undone while the table plays.
    ui(*w).DataSetting->txtVoltage->setText("7.00");
    ui(*w).DataSetting->cmdOK_Click();
    const TableState during = state();
    for (QAction *action : {menu().cut, menu().copy, menu().copyAll, menu().paste, menu().undo,
                            menu().redo})
        QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
    const QList<std::pair<int, Qt::KeyboardModifiers>> keys = {
        {Qt::Key_Z, Qt::ControlModifier}, {Qt::Key_Y, Qt::ControlModifier},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier}, {Qt::Key_V, Qt::ControlModifier},
        {Qt::Key_Insert, Qt::ShiftModifier}, {Qt::Key_X, Qt::ControlModifier},
        {Qt::Key_C, Qt::ControlModifier}, {Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier},
        {Qt::Key_Insert, Qt::ControlModifier}};
    for (const auto &[key, modifiers] : keys)
        press(key, modifiers);
    // Reached without their keys, the commands do nothing either.
    w->livData_Undo();
    w->livData_Paste();
    w->livData_Cut();
    w->livData_CopyAll();
    QCOMPARE(state(), during);
    QCOMPARE(QApplication::clipboard()->text(), QString("On\tAuto\t1\t50\t0\t360\t2"));
    // The context menu does not open either.
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5));
    QApplication::sendEvent(table()->viewport(), &event);
    QVERIFY(!menu().menu()->isVisible());

    w->cmdRunStop_Click(); // STOP: the editor's change can be taken back now
    QVERIFY(menu().undo->isEnabled());
    press(Qt::Key_Z);
    QCOMPARE(table()->item(1).values[StepRecord::Voltage - 1], QString("110.00"));
}

void TableUndoTest::contextMenu_enablesWhatCanAct_data()
{
    // Cut, Copy, Copy All, Paste, Undo, Redo.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("enabled");
    QTest::newRow("empty table") << "" << "000000";
    QTest::newRow("one row") << "a" << "111010";
    QTest::newRow("one row copied") << "ac" << "111110";
    QTest::newRow("undone") << "au" << "000001";
    QTest::newRow("undone and redone") << "aur" << "111010";
}

void TableUndoTest::contextMenu_enablesWhatCanAct()
{
    QFETCH(QString, steps);
    QFETCH(QString, enabled);
    for (const QChar step : steps) {
        if (step == 'a')
            w->cmdDataAppend_Click();
        else if (step == 'c')
            press(Qt::Key_C);
        else if (step == 'u')
            press(Qt::Key_Z);
        else if (step == 'r')
            press(Qt::Key_Y);
    }
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5));
    QApplication::sendEvent(table()->viewport(), &event);
    QMenu *shown = menu().menu();
    QTRY_VERIFY(shown->isVisible());
    QStringList captions;
    QString states;
    for (QAction *action : shown->actions()) {
        if (action->isSeparator())
            continue;
        captions << action->text() + " " + action->shortcut().toString();
        states += action->isEnabled() ? '1' : '0';
    }
    QCOMPARE(captions, (QStringList{"Cu&t Ctrl+X", "&Copy Ctrl+C", "Copy &All Ctrl+Shift+C",
                                    "&Paste Ctrl+V", "&Undo Ctrl+Z", "&Redo Ctrl+Y"}));
    QCOMPARE(states, enabled);
    shown->close();
}

QTEST_MAIN(TableUndoTest)
#include "test_table_undo.moc"
