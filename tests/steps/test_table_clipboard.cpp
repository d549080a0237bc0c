// Copy, Copy All, Cut and Paste on the shown window's step table, through
// real key presses and the real clipboard.
#include "shell/frmControl.h"
#include "steps/StepListView.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

namespace {
const QString Row1 = "Step1\tOn\tAuto\t110.00\t60.00\t0.00\t360.00\t1.00\r\n";
const QString Row2 = "Second\tOff\tLow\t5.50\t400.00\t90.00\t180.00\t65.53\r\n";
const QString Row3 = "Step3\tOn\tHigh\t310.00\t40.00\t360.00\t0.00\t0.01\r\n";
} // namespace

class TableClipboardTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void copy_givesExactBytes_data();
    void copy_givesExactBytes();
    void copyAllThenPasteIntoEmptyTable_restoresRows();
    void paste_placesRowsBeforeSelected_data();
    void paste_placesRowsBeforeSelected();
    void paste_refusesBadCells_changesNothing_data();
    void paste_refusesBadCells_changesNothing();
    void paste_intoEmptyTable_selectsFirstRowAndEnablesButtons();
    void cut_copiesAndDeletesAsDelete();

private:
    StepListView *table() const { return ui(*w).livData; }
    void threeRows();
    void press(int key, Qt::KeyboardModifiers modifiers);
    QStringList labels() const;

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<frmControl> w;
};

void TableClipboardTest::init()
{
    fake = std::make_unique<FakePlatform>();
    w = startedWindow(*fake);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    table()->setFocus();
    QApplication::clipboard()->clear();
}

void TableClipboardTest::cleanup()
{
    w.reset();
    fake.reset();
}

// Step1 with the defaults; "Second" and Step3 with values of their own.
void TableClipboardTest::threeRows()
{
    for (int i = 0; i < 3; ++i)
        w->cmdDataAppend_Click();
    StepRecord second = table()->item(2);
    second.label = "Second";
    second.values = {"Off", "Low", "5.50", "400.00", "90.00", "180.00", "65.53"};
    table()->steps().setRow(2, second);
    StepRecord third = table()->item(3);
    third.values = {"On", "High", "310.00", "40.00", "360.00", "0.00", "0.01"};
    table()->steps().setRow(3, third);
    table()->steps().setChecked(3, false);
}

void TableClipboardTest::press(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(table(), Qt::Key(key), modifiers);
}

QStringList TableClipboardTest::labels() const
{
    QStringList out;
    for (int i = 1; i <= table()->count(); ++i)
        out << table()->item(i).label;
    return out;
}

void TableClipboardTest::copy_givesExactBytes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("text");
    QTest::newRow("Ctrl+C, row 2") << int(Qt::Key_C) << int(Qt::ControlModifier) << 2 << Row2;
    QTest::newRow("Ctrl+Insert, row 3") << int(Qt::Key_Insert) << int(Qt::ControlModifier) << 3 << Row3;
    QTest::newRow("Ctrl+Shift+C, every row")
        << int(Qt::Key_C) << int(Qt::ControlModifier | Qt::ShiftModifier) << 2 << Row1 + Row2 + Row3;
}

void TableClipboardTest::copy_givesExactBytes()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, selected);
    QFETCH(QString, text);
    threeRows();
    table()->select(selected);
    w->document().setModified(false);
    press(key, Qt::KeyboardModifiers(modifiers));
    const QMimeData *data = QApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->data("text/plain"), text.toUtf8());
    QCOMPARE(data->data("text/tab-separated-values"), text.toUtf8());
    // A copy changes nothing.
    QCOMPARE(table()->count(), 3);
    QVERIFY(!w->document().modified());
}

void TableClipboardTest::copyAllThenPasteIntoEmptyTable_restoresRows()
{
    threeRows();
    const std::vector<StepRecord> before = table()->steps().rows();
    press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    w->document().setModified(false);
    w->mnuNew_Click();
    QCOMPARE(table()->count(), 0);
    const qint32 counter = ui(*w).NextStepNumber;
    press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(table()->count(), 3);
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(table()->item(i).label, before[size_t(i - 1)].label);
        QCOMPARE(table()->item(i).values, before[size_t(i - 1)].values);
        QVERIFY(table()->item(i).checked); // pasted rows are new steps: ticked
    }
    QCOMPARE(ui(*w).NextStepNumber, counter); // the rows brought their labels
    QVERIFY(w->document().modified());
}

void TableClipboardTest::paste_placesRowsBeforeSelected_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<qint32>("counterAfter");
    const QString seven = "Off\tLow\t1\t50\t0\t360\t2\r\n";
    QTest::newRow("Ctrl+V, two unlabelled rows above row 2")
        << seven + seven << int(Qt::Key_V) << int(Qt::ControlModifier) << 2
        << QStringList{"Step1", "Step4", "Step5", "Second", "Step3"} << 4 << 6;
    QTest::newRow("Shift+Insert, labelled rows above row 1")
        << "X\t" + seven + "Y\t" + seven << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << 1
        << QStringList{"X", "Y", "Step1", "Second", "Step3"} << 3 << 4;
    QTest::newRow("header and LF, above the last row")
        << "Output\tRange\tVoltage [ V ]\tFrequency [Hz]\tStart Phase [Deg]\tStop Phase "
           "[Deg]\tDwell Time [Sec]\nOff\tLow\t1\t50\t0\t360\t2\n"
        << int(Qt::Key_V) << int(Qt::ControlModifier) << 3
        << QStringList{"Step1", "Second", "Step4", "Step3"} << 4 << 5;
    QTest::newRow("quoted cells")
        << "\"Q 1\"\t\"Off\"\tLow\t\"1\"\t50\t0\t360\t2\r\n" << int(Qt::Key_V)
        << int(Qt::ControlModifier) << 2 << QStringList{"Step1", "Q 1", "Second", "Step3"} << 3 << 4;
}

void TableClipboardTest::paste_placesRowsBeforeSelected()
{
    QFETCH(QString, clipboard);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, selected);
    QFETCH(QStringList, labels);
    QFETCH(int, selectedAfter);
    QFETCH(qint32, counterAfter);
    threeRows();
    table()->select(selected);
    w->document().setModified(false);
    QApplication::clipboard()->setText(clipboard);
    press(key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(this->labels(), labels);
    QCOMPARE(table()->selectedIndex(), selectedAfter);
    QCOMPARE(ui(*w).NextStepNumber, counterAfter);
    const StepRecord &pasted = table()->item(selected);
    QCOMPARE(pasted.values,
             (std::array<QString, 7>{"Off", "Low", "1.00", "50.00", "0.00", "360.00", "2.00"}));
    QVERIFY(pasted.checked);
    QVERIFY(w->document().modified());
    QVERIFY(fake->messages.shown.isEmpty());
}

void TableClipboardTest::paste_refusesBadCells_changesNothing_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("message");
    const QString good = "On\tAuto\t110\t60\t0\t360\t1\r\n";
    QTest::newRow("range") << good + "On\tAuto\t110\t60\t0\t360\t70\r\n"
        << "Cannot paste: line 2, column \"Dwell Time [Sec]\" holds \"70\"; allowed: 0.01 to 65.53.";
    QTest::newRow("no number") << good + good + "On\tAuto\t110\tsixty\t0\t360\t1\r\n"
        << "Cannot paste: line 3, column \"Frequency [Hz]\" holds \"sixty\", which is no number; "
           "allowed: 40 to 500.";
    QTest::newRow("character") << QString("On\tAuto\t110\t60\t0\t360\t1\r\nOn\tAu\u20actto\t110\t60\t0\t360\t1")
        << "Cannot paste: line 2, column \"Range\" holds a character a step file cannot hold.";
    QTest::newRow("cell count") << good + "plain words\r\n"
        << "Cannot paste: line 2 has 1 cells; a step has 7 (Output to Dwell Time) or 8 (the label "
           "first).";
}

void TableClipboardTest::paste_refusesBadCells_changesNothing()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, message);
    threeRows();
    table()->select(2);
    w->document().setModified(false);
    const std::vector<StepRecord> before = table()->steps().rows();
    const qint32 counter = ui(*w).NextStepNumber;
    QApplication::clipboard()->setText(clipboard);
    press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(fake->messages.shown.size(), 1);
    QCOMPARE(fake->messages.shown.last().text, message);
    QCOMPARE(fake->messages.shown.last().icon, MessageBox::Icon::Exclamation);
    QCOMPARE(table()->steps().rows(), before);
    QCOMPARE(table()->selectedIndex(), 2);
    QCOMPARE(ui(*w).NextStepNumber, counter);
    QVERIFY(!w->document().modified());
    // Nothing to undo either: the Append before is the last step.
    press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(table()->count(), 2);
}

void TableClipboardTest::paste_intoEmptyTable_selectsFirstRowAndEnablesButtons()
{
    QApplication::clipboard()->setText(Row2);
    press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(labels(), QStringList{"Second"});
    QCOMPARE(table()->selectedIndex(), 1);
    QVERIFY(ui(*w).cmdDataInsert->isEnabled());
    QVERIFY(ui(*w).cmdDataDelete->isEnabled());
}

void TableClipboardTest::cut_copiesAndDeletesAsDelete()
{
    threeRows();
    table()->select(2);
    w->document().setModified(false);
    press(Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), Row2);
    QCOMPARE(labels(), (QStringList{"Step1", "Step3"}));
    QCOMPARE(table()->selectedIndex(), 2);
    QVERIFY(w->document().modified());
    // Cut of the last row selects the new last row; of the only one, none.
    press(Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(labels(), QStringList{"Step1"});
    QCOMPARE(table()->selectedIndex(), 1);
    press(Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(table()->count(), 0);
    QVERIFY(!ui(*w).cmdDataDelete->isEnabled());
    QCOMPARE(QApplication::clipboard()->text(), Row1);
}

QTEST_MAIN(TableClipboardTest)
#include "test_table_clipboard.moc"
