// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The step table view shows the step document's table: the rows are the
// document's, whoever changes them, and the view outlives them safely; its
// captions take the room Qt's own header gives them.
#include "domain/files/StepDocument.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "gui/steps/StepTableMenu.h"
#include "support/FakePlatform.h"

#include <QAction>
#include <QHeaderView>
#include <QPointer>
#include <QTest>

class StepListViewTest : public QObject
{
    Q_OBJECT
private slots:
    void documentGoneFirst_viewStaysUsable();
    void header_asTallAsQtsOwn();

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

// The captions are measured in the font they are drawn in, where Qt
// measures them in bold: the header must come out as tall all the same.
void StepListViewTest::header_asTallAsQtsOwn()
{
    StepDocument document(files, messages, busy);
    StepListView view;
    view.setSteps(document.steps());
    QFont font = view.font();
    font.setPointSize(8); // the window's design font
    view.setFont(font);
    QHeaderView qts(Qt::Horizontal);
    qts.setModel(&document.steps());
    qts.setFont(font);
    QCOMPARE(view.header()->sizeHint().height(), qts.sizeHint().height());
    QVERIFY(view.header()->sizeHint().height() > QFontMetrics(font).height());
}

QTEST_MAIN(StepListViewTest)
#include "test_step_list_view.moc"
