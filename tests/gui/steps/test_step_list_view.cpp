// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The step table view shows the step document's table: the rows are the
// document's, whoever changes them, and the view outlives them safely.
#include "files/StepDocument.h"
#include "shell/frmControl.h"
#include "steps/StepListView.h"
#include "steps/StepTableMenu.h"
#include "support/FakePlatform.h"

#include <QAction>
#include <QPointer>
#include <QTest>

class StepListViewTest : public QObject
{
    Q_OBJECT
private slots:
    void documentRows_showInTheView_data();
    void documentRows_showInTheView();
    void documentGoneFirst_viewStaysUsable();
    void mainWindow_tableIsTheDocuments();

private:
    FakeMessageBox messages;
    FakeFileDialog files;
    FakeBusyPointer busy;
};

namespace {
std::vector<StepRecord> numberedSteps(int n)
{
    std::vector<StepRecord> rows;
    for (int i = 1; i <= n; ++i)
        rows.push_back(StepRecord::makeDefault(StepDefaults::label(i)));
    return rows;
}
} // namespace

void StepListViewTest::documentRows_showInTheView_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected");
    QTest::newRow("replaced") << "replace" << 3 << 1;
    QTest::newRow("added through the view") << "add" << 1 << 1;
    QTest::newRow("New") << "new" << 0 << 0;
}

void StepListViewTest::documentRows_showInTheView()
{
    QFETCH(QString, change);
    QFETCH(int, count);
    QFETCH(int, selected);

    StepDocument document(files, messages, busy);
    StepListView view;
    view.setSteps(document.steps());
    QCOMPARE(view.model(), &document.steps());
    QCOMPARE(&view.steps(), &document.steps());

    if (change == "replace") {
        document.steps().replaceAll(numberedSteps(3));
    } else if (change == "add") {
        view.add(1, StepRecord::makeDefault(StepDefaults::label(1)));
    } else {
        document.steps().replaceAll(numberedSteps(2));
        QVERIFY(document.newDocument()); // not modified: asks nothing
    }
    QCOMPARE(view.count(), count);
    QCOMPARE(view.selectedIndex(), selected);
    QCOMPARE(document.steps().count(), count);
    if (count > 0)
        QCOMPARE(view.item(count).label, StepDefaults::label(count));
    // The table's menu follows the document's rows.
    QCOMPARE(view.menu().copyAll->isEnabled(), count > 0);
    QVERIFY(messages.shown.isEmpty());
}

void StepListViewTest::documentGoneFirst_viewStaysUsable()
{
    // The window's members, the document among them, go before its child
    // widgets: the view is left with no table, not a dangling one.
    auto document = std::make_unique<StepDocument>(files, messages, busy);
    auto view = std::make_unique<StepListView>();
    view->setSteps(document->steps());
    view->replaceAll(numberedSteps(4));
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    view->select(3);
    QCOMPARE(view->selectedIndex(), 3);

    document.reset();
    QCOMPARE(view->count(), 0);
    view->selectionModel()->clear(); // what the selection rule and the menu follow
    view->menu().update();
    QVERIFY(!view->menu().copyAll->isEnabled());
    QTest::qWait(10); // the view's own delayed reset
    view->hide();
    view.reset();
}

void StepListViewTest::mainWindow_tableIsTheDocuments()
{
    FakePlatform fake;
    std::unique_ptr<frmControl> w = startedWindow(fake);
    const auto *table = w->findChild<StepListView *>(QStringLiteral("livData"));
    QVERIFY(table);
    QCOMPARE(&table->steps(), &w->document().steps());
    w->cmdDataAppend_Click();
    QCOMPARE(w->document().steps().count(), 1);
    QCOMPARE(w->document().steps().row(1), StepRecord::makeDefault(StepDefaults::label(1)));
    // The window goes with its document and its view in one piece.
    w.reset();
}

QTEST_MAIN(StepListViewTest)
#include "test_step_list_view.moc"
