// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Insert, Append, Delete, Select All and the row check boxes.
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"

#include <QCheckBox>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>

class EditCommandsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startUp_onlyAppendEnabled();
    void append_onEmptyTable_addsDefaultTickedStepAndEnablesButtons();
    void labels_data();
    void labels();
    void insert_putsNewRowAboveSelectedAndKeepsSelection();
    void insert_repeatedStacksAboveSelected();
    void delete_reselects_data();
    void delete_reselects();
    void delete_ignoresCheckStateOfOtherRows();
    void deleteLastRow_disablesInsertAndDelete();
    void buttonRule_acrossNew();
    void selectAll_ticksEveryRowWhicheverWayTheBoxTurns_data();
    void selectAll_ticksEveryRowWhicheverWayTheBoxTurns();
    void selectAll_onEmptyTable_onlyMarksModified();
    void selectAll_byOperatorClick_goesThroughTheHandler();
    void rowCheck_clearingClearsSelectAllTickOnly();
    void rowCheck_tickingNeverTicksSelectAll();
    void rowCheck_byOperator_raisesTheHandler();
    void selectAll_manyRows_oneNotification();
    void selectAll_manyRows_repaintsRowsInSight();
    void everyCommand_setsModified_data();
    void everyCommand_setsModified();

private:
    QStringList rowLabels() const;
    void appendSteps(int n);

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<frmControl> w;
};

void EditCommandsTest::init()
{
    fake = std::make_unique<FakePlatform>();
    w = startedWindow(*fake);
}

void EditCommandsTest::cleanup()
{
    w.reset();
    fake.reset();
}

QStringList EditCommandsTest::rowLabels() const
{
    QStringList out;
    for (int i = 1; i <= w->ui().livData->count(); ++i)
        out << w->ui().livData->item(i).label;
    return out;
}

void EditCommandsTest::appendSteps(int n)
{
    for (int i = 0; i < n; ++i)
        w->cmdDataAppend_Click();
}

void EditCommandsTest::startUp_onlyAppendEnabled()
{
    QCOMPARE(w->ui().livData->count(), 0);
    QVERIFY(!w->ui().cmdDataInsert->isEnabled());
    QVERIFY(w->ui().cmdDataAppend->isEnabled());
    QVERIFY(!w->ui().cmdDataDelete->isEnabled());
    QVERIFY(!w->ui().chkDataSelectAll->isChecked());
}

void EditCommandsTest::append_onEmptyTable_addsDefaultTickedStepAndEnablesButtons()
{
    w->cmdDataAppend_Click();
    QCOMPARE(w->ui().livData->count(), 1);
    const StepRecord &r = w->ui().livData->item(1);
    QCOMPARE(r.label, QStringLiteral("Step1"));
    QVERIFY(r.checked);
    const std::array<QString, 7> defaults = {"On", "Auto", "110.00", "60.00", "0.00", "360.00", "1.00"};
    QCOMPARE(r.values, defaults);
    QVERIFY(w->ui().cmdDataInsert->isEnabled());
    QVERIFY(w->ui().cmdDataDelete->isEnabled());
    QVERIFY(w->document().modified());
    QCOMPARE(w->nextStepNumber(), 2);
    QCOMPARE(w->ui().livData->selectedIndex(), 1);
}

void EditCommandsTest::labels_data()
{
    // Commands: a = Append, i = Insert, d = Delete, n = New, 1..9 = select row.
    QTest::addColumn<QString>("commands");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("first two") << "aa" << QStringList{"Step1", "Step2"};
    QTest::newRow("delete does not renumber") << "aaa2da" << QStringList{"Step1", "Step3", "Step4"};
    QTest::newRow("continues after New") << "aaana" << QStringList{"Step4"};
    QTest::newRow("continues after emptying") << "add"
                                                 "a"
                                              << QStringList{"Step2"};
    QTest::newRow("insert takes the next number") << "aa1i" << QStringList{"Step3", "Step1", "Step2"};
}

void EditCommandsTest::labels()
{
    QFETCH(QString, commands);
    QFETCH(QStringList, labels);
    for (const QChar c : commands) {
        if (c == 'a')
            w->cmdDataAppend_Click();
        else if (c == 'i')
            w->cmdDataInsert_Click();
        else if (c == 'd')
            w->cmdDataDelete_Click();
        else if (c == 'n') {
            w->document().setModified(false); // no save question
            w->mnuNew_Click();
        } else
            w->ui().livData->select(c.digitValue());
    }
    QCOMPARE(rowLabels(), labels);
}

void EditCommandsTest::insert_putsNewRowAboveSelectedAndKeepsSelection()
{
    appendSteps(3);
    w->ui().livData->select(2);
    w->cmdDataInsert_Click();
    QCOMPARE(rowLabels(), (QStringList{"Step1", "Step4", "Step2", "Step3"}));
    QCOMPARE(w->ui().livData->selectedIndex(), 3);
    QVERIFY(w->ui().livData->item(2).checked);
    QCOMPARE(w->ui().livData->item(2).values, StepDefaults::values());
}

void EditCommandsTest::insert_repeatedStacksAboveSelected()
{
    // A, B with B selected: A, new1, B, then A, new1, new2, B.
    appendSteps(2);
    w->ui().livData->select(2);
    w->cmdDataInsert_Click();
    QCOMPARE(rowLabels(), (QStringList{"Step1", "Step3", "Step2"}));
    w->cmdDataInsert_Click();
    QCOMPARE(rowLabels(), (QStringList{"Step1", "Step3", "Step4", "Step2"}));
    QCOMPARE(w->ui().livData->selectedIndex(), 4);
}

void EditCommandsTest::delete_reselects_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("selectedAfter");
    QTest::newRow("last row") << 3 << 3 << QStringList{"Step1", "Step2"} << 2;
    QTest::newRow("middle row") << 3 << 2 << QStringList{"Step1", "Step3"} << 2;
    QTest::newRow("first row") << 3 << 1 << QStringList{"Step2", "Step3"} << 1;
    QTest::newRow("of two, last") << 2 << 2 << QStringList{"Step1"} << 1;
}

void EditCommandsTest::delete_reselects()
{
    QFETCH(int, rows);
    QFETCH(int, selected);
    QFETCH(QStringList, left);
    QFETCH(int, selectedAfter);
    appendSteps(rows);
    w->ui().livData->select(selected);
    w->cmdDataDelete_Click();
    QCOMPARE(rowLabels(), left);
    QCOMPARE(w->ui().livData->selectedIndex(), selectedAfter);
    QVERIFY(w->ui().cmdDataInsert->isEnabled());
    QVERIFY(w->ui().cmdDataDelete->isEnabled());
}

void EditCommandsTest::delete_ignoresCheckStateOfOtherRows()
{
    appendSteps(3);
    w->ui().livData->steps().setChecked(1, false);
    w->ui().livData->select(3);
    w->cmdDataDelete_Click();
    QCOMPARE(rowLabels(), (QStringList{"Step1", "Step2"}));
    QVERIFY(!w->ui().livData->item(1).checked);
    QVERIFY(w->ui().livData->item(2).checked);
}

void EditCommandsTest::deleteLastRow_disablesInsertAndDelete()
{
    w->cmdDataAppend_Click();
    w->cmdDataDelete_Click();
    QCOMPARE(w->ui().livData->count(), 0);
    QVERIFY(!w->ui().cmdDataInsert->isEnabled());
    QVERIFY(!w->ui().cmdDataDelete->isEnabled());
    QVERIFY(w->ui().cmdDataAppend->isEnabled());
    // Nothing to act on: both are harmless when reached anyway.
    w->cmdDataInsert_Click();
    w->cmdDataDelete_Click();
    QCOMPARE(w->ui().livData->count(), 0);
}

void EditCommandsTest::buttonRule_acrossNew()
{
    appendSteps(2);
    w->document().setModified(false);
    w->mnuNew_Click();
    QCOMPARE(w->ui().livData->count(), 0);
    QVERIFY(!w->ui().cmdDataInsert->isEnabled());
    QVERIFY(w->ui().cmdDataAppend->isEnabled());
    QVERIFY(!w->ui().cmdDataDelete->isEnabled());
}

void EditCommandsTest::selectAll_ticksEveryRowWhicheverWayTheBoxTurns_data()
{
    QTest::addColumn<bool>("tickedBefore");
    QTest::newRow("box turns on") << false;
    QTest::newRow("box turns off") << true;
}

void EditCommandsTest::selectAll_ticksEveryRowWhicheverWayTheBoxTurns()
{
    QFETCH(bool, tickedBefore);
    appendSteps(4);
    w->ui().livData->steps().setChecked(1, false);
    w->ui().livData->steps().setChecked(3, false);
    w->ui().chkDataSelectAll->setChecked(tickedBefore);
    w->document().setModified(false);
    w->ui().chkDataSelectAll->click(); // the operator's click: the box turns, then the handler runs
    QCOMPARE(w->ui().chkDataSelectAll->isChecked(), !tickedBefore);
    for (int i = 1; i <= 4; ++i)
        QVERIFY2(w->ui().livData->item(i).checked, qPrintable(QString::number(i)));
    QVERIFY(w->document().modified());
}

void EditCommandsTest::selectAll_onEmptyTable_onlyMarksModified()
{
    w->chkDataSelectAll_Click();
    QCOMPARE(w->ui().livData->count(), 0);
    QVERIFY(w->document().modified());
}

void EditCommandsTest::selectAll_byOperatorClick_goesThroughTheHandler()
{
    appendSteps(1);
    w->ui().livData->steps().setChecked(1, false);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QTest::mouseClick(w->ui().chkDataSelectAll, Qt::LeftButton, {},
                      QPoint(8, w->ui().chkDataSelectAll->height() / 2));
    QVERIFY(w->ui().chkDataSelectAll->isChecked());
    QVERIFY(w->ui().livData->item(1).checked);
}

void EditCommandsTest::rowCheck_clearingClearsSelectAllTickOnly()
{
    appendSteps(3);
    w->ui().chkDataSelectAll->setChecked(true);
    w->document().setModified(false);
    // The operator clears row 2's box: the table reports it after the change.
    const QModelIndex box = w->ui().livData->steps().index(1, 0);
    QVERIFY(w->ui().livData->steps().setData(box, Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(!w->ui().chkDataSelectAll->isChecked());
    QVERIFY(!w->ui().livData->item(2).checked); // not ticked again by Select All
    QVERIFY(w->ui().livData->item(1).checked);
    QVERIFY(w->document().modified());
}

void EditCommandsTest::rowCheck_tickingNeverTicksSelectAll()
{
    appendSteps(2);
    w->ui().livData->steps().setChecked(2, false);
    w->document().setModified(false);
    QVERIFY(w->ui().livData->steps().setData(w->ui().livData->steps().index(1, 0), Qt::Checked,
                                             Qt::CheckStateRole));
    QVERIFY(!w->ui().chkDataSelectAll->isChecked());
    QVERIFY(w->document().modified());
}

void EditCommandsTest::rowCheck_byOperator_raisesTheHandler()
{
    // A real click on a row's check box, through the view.
    appendSteps(2);
    w->ui().chkDataSelectAll->setChecked(true);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    StepListView *view = w->ui().livData;
    const QRect row = view->visualRect(view->steps().index(0, 0));
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = row;
    option.features = QStyleOptionViewItem::HasCheckIndicator;
    const QRect check = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, check.center());
    QVERIFY(!view->item(1).checked);
    QVERIFY(!w->ui().chkDataSelectAll->isChecked());
}

void EditCommandsTest::selectAll_manyRows_oneNotification()
{
    // No 16-bit row counter, and one change notice for the whole table.
    std::vector<StepRecord> rows(40000);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].label = StepDefaults::label(static_cast<qint32>(i + 1));
    w->ui().livData->replaceAll(std::move(rows));
    int notices = 0;
    connect(&w->ui().livData->steps(), &QAbstractItemModel::dataChanged, this, [&notices] { ++notices; });
    w->chkDataSelectAll_Click();
    QCOMPARE(notices, 1);
    QVERIFY(w->ui().livData->item(1).checked);
    QVERIFY(w->ui().livData->item(32768).checked);
    QVERIFY(w->ui().livData->item(40000).checked);
}

void EditCommandsTest::selectAll_manyRows_repaintsRowsInSight()
{
    w->ui().livData->replaceAll(std::vector<StepRecord>(2000));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    StepListView *view = w->ui().livData;
    view->scrollTo(view->steps().index(1000, 0), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();

    struct PaintWatch : QObject
    {
        QRegion painted;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                painted += static_cast<QPaintEvent *>(e)->region();
            return false;
        }
    } watch;
    view->viewport()->installEventFilter(&watch);
    w->chkDataSelectAll_Click();
    QApplication::processEvents();
    view->viewport()->removeEventFilter(&watch);

    const QRect topRow = view->visualRect(view->steps().index(1000, 0));
    const QModelIndex last = view->indexAt(QPoint(0, view->viewport()->height() - 1));
    QVERIFY(last.isValid() && last.row() > 1000);
    const QRect bottomRow = view->visualRect(last);
    QVERIFY(watch.painted.contains(topRow.center()));
    QVERIFY(watch.painted.contains(bottomRow.center()));
    QVERIFY(view->item(1).checked && view->item(2000).checked);
}

void EditCommandsTest::everyCommand_setsModified_data()
{
    QTest::addColumn<int>("command");
    QTest::newRow("insert") << 0;
    QTest::newRow("append") << 1;
    QTest::newRow("delete") << 2;
    QTest::newRow("select all") << 3;
    QTest::newRow("row check") << 4;
}

void EditCommandsTest::everyCommand_setsModified()
{
    QFETCH(int, command);
    appendSteps(2);
    w->document().setModified(false);
    switch (command) {
    case 0: w->cmdDataInsert_Click(); break;
    case 1: w->cmdDataAppend_Click(); break;
    case 2: w->cmdDataDelete_Click(); break;
    case 3: w->chkDataSelectAll_Click(); break;
    case 4: w->livData_ItemCheck(1); break;
    }
    QVERIFY(w->document().modified());
}

QTEST_MAIN(EditCommandsTest)
#include "test_edit_commands.moc"
