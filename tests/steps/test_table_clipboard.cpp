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
const QString Seven = "Off\tLow\t1\t50\t0\t360\t2\r\n";
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
    void paste_placesCheckedRows_data();
    void paste_placesCheckedRows();
    void paste_refused_changesNothing_data();
    void paste_refused_changesNothing();
    void cut_copiesThenDeletesAsDelete();

private:
    StepListView *table() const { return ui(*w).livData; }
    void press(int key, int modifiers) { QTest::keyClick(table(), Qt::Key(key), Qt::KeyboardModifiers(modifiers)); }
    QStringList labels() const;

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<frmControl> w;
};

// Three rows (Step1 with the defaults, "Second" and Step3 with values of
// their own), row 2 selected, the document unmodified.
void TableClipboardTest::init()
{
    fake = std::make_unique<FakePlatform>();
    w = startedWindow(*fake);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    table()->setFocus();
    QApplication::clipboard()->setText(Row1 + Row2 + Row3);
    press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(labels(), (QStringList{"Step1", "Second", "Step3"}));
    table()->select(2);
    w->document().setModified(false);
    ui(*w).NextStepNumber = 4;
}

void TableClipboardTest::cleanup()
{
    w.reset();
    fake.reset();
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
    QTest::addColumn<QString>("text");
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier) << Row2;
    QTest::newRow("Ctrl+Insert") << int(Qt::Key_Insert) << int(Qt::ControlModifier) << Row2;
    QTest::newRow("Ctrl+Shift+C, every row")
        << int(Qt::Key_C) << int(Qt::ControlModifier | Qt::ShiftModifier) << Row1 + Row2 + Row3;
}

void TableClipboardTest::copy_givesExactBytes()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QApplication::clipboard()->clear();
    press(key, modifiers);
    const QMimeData *data = QApplication::clipboard()->mimeData();
    QCOMPARE(data->data("text/plain"), text.toUtf8());
    QCOMPARE(data->data("text/tab-separated-values"), text.toUtf8());
    QCOMPARE(table()->count(), 3); // a copy changes nothing
    QVERIFY(!w->document().modified());
}

void TableClipboardTest::copyAllThenPasteIntoEmptyTable_restoresRows()
{
    table()->steps().setChecked(3, false);
    std::vector<StepRecord> before = table()->steps().rows();
    press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    w->mnuNew_Click();
    QCOMPARE(table()->count(), 0);
    press(Qt::Key_V, Qt::ControlModifier);
    before[2].checked = true; // pasted rows are new steps: ticked
    QCOMPARE(table()->steps().rows(), before);
    QCOMPARE(table()->selectedIndex(), 1);
    QCOMPARE(ui(*w).NextStepNumber, 4); // the rows brought their labels
    QVERIFY(w->document().modified());
    QVERIFY(ui(*w).cmdDataInsert->isEnabled() && ui(*w).cmdDataDelete->isEnabled());
}

void TableClipboardTest::paste_placesCheckedRows_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<qint32>("counterAfter");
    QTest::newRow("Ctrl+V, unlabelled rows") << Seven + Seven << int(Qt::Key_V) << int(Qt::ControlModifier)
        << QStringList{"Step1", "Step4", "Step5", "Second", "Step3"} << 6;
    QTest::newRow("Shift+Insert, labelled rows") << "X\t" + Seven + "Y\t" + Seven << int(Qt::Key_Insert)
        << int(Qt::ShiftModifier) << QStringList{"Step1", "X", "Y", "Second", "Step3"} << 4;
}

void TableClipboardTest::paste_placesCheckedRows()
{
    QFETCH(QString, clipboard);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, labels);
    QFETCH(qint32, counterAfter);
    QApplication::clipboard()->setText(clipboard);
    press(key, modifiers);
    QCOMPARE(this->labels(), labels);
    QCOMPARE(table()->selectedIndex(), 4); // still "Second", as after Insert
    QCOMPARE(ui(*w).NextStepNumber, counterAfter);
    QCOMPARE(table()->item(2).values,
             (std::array<QString, 7>{"Off", "Low", "1.00", "50.00", "0.00", "360.00", "2.00"}));
    QVERIFY(table()->item(2).checked);
    QVERIFY(w->document().modified());
}

void TableClipboardTest::paste_refused_changesNothing_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("message");
    QTest::newRow("range") << Seven + "On\tAuto\t110\t60\t0\t360\t70"
        << "Cannot paste: line 2, column \"Dwell Time [Sec]\" holds \"70\"; allowed: 0.01 to 65.53.";
    QTest::newRow("cell count") << Seven + "plain words\r\n"
        << "Cannot paste: line 2 has 1 cells; a step has 7 (Output to Dwell Time) or 8 (the label first).";
}

void TableClipboardTest::paste_refused_changesNothing()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, message);
    const std::vector<StepRecord> before = table()->steps().rows();
    QApplication::clipboard()->setText(clipboard);
    press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(fake->messages.shown.size(), 1);
    QCOMPARE(fake->messages.shown.last().text, message);
    QCOMPARE(fake->messages.shown.last().icon, MessageBox::Icon::Exclamation);
    QCOMPARE(table()->steps().rows(), before);
    QCOMPARE(table()->selectedIndex(), 2);
    QCOMPARE(ui(*w).NextStepNumber, 4);
    QVERIFY(!w->document().modified());
    press(Qt::Key_Z, Qt::ControlModifier); // the last step is the paste of init
    QCOMPARE(table()->count(), 0);
}

void TableClipboardTest::cut_copiesThenDeletesAsDelete()
{
    press(Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), Row2);
    QCOMPARE(labels(), (QStringList{"Step1", "Step3"}));
    QCOMPARE(table()->selectedIndex(), 2); // the row that took its place
    QVERIFY(w->document().modified());
    press(Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(table()->selectedIndex(), 1); // the new last row
    press(Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(table()->count(), 0);
    QVERIFY(!ui(*w).cmdDataDelete->isEnabled());
    QCOMPARE(QApplication::clipboard()->text(), Row1);
}

QTEST_MAIN(TableClipboardTest)
#include "test_table_clipboard.moc"
