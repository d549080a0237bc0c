// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The step table and its button row follow the window's outer size, which
// cannot go below 9480 x 6000 twips.
#include "gui/shell/ResizeRule.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "gui/widgets/Twips.h"
#include "support/FakePlatform.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using ResizeRule::Layout;
using ResizeRule::TwipsRect;
using ResizeRule::WindowState;

Q_DECLARE_METATYPE(TwipsRect)

namespace {
WindowState sized(int width, int height)
{
    WindowState s;
    s.width = width;
    s.height = height;
    return s;
}

// The rectangles the window's controls stand at now, in twips.
TwipsRect placeOf(const QWidget *w)
{
    const QRect g = w->geometry();
    return {pixelsToTwips(g.x()), pixelsToTwips(g.y()), pixelsToTwips(g.width()), pixelsToTwips(g.height())};
}

struct Snapshot
{
    QList<QRect> rects;
    friend bool operator==(const Snapshot &, const Snapshot &) = default;
};

Snapshot snapshot(const frmControl &w)
{
    return {{w.ui().fraData->geometry(), w.ui().livData->geometry(), w.ui().chkDataSelectAll->geometry(),
             w.ui().cmdDataInsert->geometry(), w.ui().cmdDataAppend->geometry(),
             w.ui().cmdDataDelete->geometry()}};
}

// Waits until the window has its new size and the resize handler has run.
void settle()
{
    QCoreApplication::processEvents();
    QTest::qWait(20);
}
} // namespace

class LayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void rule_data();
    void rule();
    void rule_keepsTheButtonRowTogether_data();
    void rule_keepsTheButtonRowTogether();
    void guard_data();
    void guard();

    void window_followsItsOuterSize();
    void window_cannotGoBelowTheMinimum();
    void window_minimizedIsLeftAlone();
    void window_beyondTheDesktopEdge_isLaidOutWhenItComesBack();
    void window_maximized_fillsTheScreen();
};

// Outer W x H -> the frame, the table and the button row (twips).
void LayoutTest::rule_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("outerWidth"); // after the minimum
    QTest::addColumn<int>("outerHeight");
    QTest::addColumn<TwipsRect>("frame");
    QTest::addColumn<TwipsRect>("table");
    QTest::addColumn<int>("rowTop");
    QTest::addColumn<int>("deleteLeft");
    QTest::addColumn<int>("appendLeft");
    QTest::addColumn<int>("insertLeft");

    QTest::newRow("minimum") << 9480 << 6000 << 9480 << 6000 << TwipsRect{120, 2520, 9120, 2385}
                             << TwipsRect{120, 240, 8880, 1530} << 1890 << 7785 << 6450 << 5115;
    QTest::newRow("design client with a frame")
        << 12000 << 9000 << 12000 << 9000 << TwipsRect{120, 2520, 11640, 5385}
        << TwipsRect{120, 240, 11400, 4530} << 4890 << 10305 << 8970 << 7635;
    QTest::newRow("full 1280x1024 screen")
        << 19200 << 15360 << 19200 << 15360 << TwipsRect{120, 2520, 18840, 11745}
        << TwipsRect{120, 240, 18600, 10890} << 11250 << 17505 << 16170 << 14835;
    QTest::newRow("too narrow") << 5000 << 9000 << 9480 << 9000 << TwipsRect{120, 2520, 9120, 5385}
                                << TwipsRect{120, 240, 8880, 4530} << 4890 << 7785 << 6450 << 5115;
    QTest::newRow("too low") << 12000 << 10 << 12000 << 6000 << TwipsRect{120, 2520, 11640, 2385}
                             << TwipsRect{120, 240, 11400, 1530} << 1890 << 10305 << 8970 << 7635;
    QTest::newRow("too small both ways") << 0 << 0 << 9480 << 6000 << TwipsRect{120, 2520, 9120, 2385}
                                         << TwipsRect{120, 240, 8880, 1530} << 1890 << 7785 << 6450 << 5115;
    QTest::newRow("one twip above the minimum")
        << 9481 << 6001 << 9481 << 6001 << TwipsRect{120, 2520, 9121, 2386} << TwipsRect{120, 240, 8881, 1531}
        << 1891 << 7786 << 6451 << 5116;
}

void LayoutTest::rule()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, outerWidth);
    QFETCH(int, outerHeight);
    QFETCH(TwipsRect, frame);
    QFETCH(TwipsRect, table);
    QFETCH(int, rowTop);
    QFETCH(int, deleteLeft);
    QFETCH(int, appendLeft);
    QFETCH(int, insertLeft);

    const std::optional<Layout> l = ResizeRule::layoutFor(sized(width, height));
    QVERIFY(l);
    QCOMPARE(l->width, outerWidth);
    QCOMPARE(l->height, outerHeight);
    QCOMPARE(l->fraData, frame);
    QCOMPARE(l->livData, table);
    QCOMPARE(l->chkDataSelectAll, (TwipsRect{240, rowTop, 1695, 255}));
    QCOMPARE(l->cmdDataDelete, (TwipsRect{deleteLeft, rowTop, 1215, 375}));
    QCOMPARE(l->cmdDataAppend, (TwipsRect{appendLeft, rowTop, 1215, 375}));
    QCOMPARE(l->cmdDataInsert, (TwipsRect{insertLeft, rowTop, 1215, 375}));
}

// Over a range of sizes: frame W - 360 by H - 3615, table W - 600 by
// H - 4470, row at H - 4110, Delete flush with the table's right edge 120
// inside the frame's, and 120 between the buttons.
void LayoutTest::rule_keepsTheButtonRowTogether_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    for (int w : {9480, 10001, 15000, 28800})
        for (int h : {6000, 7777, 15360})
            QTest::addRow("%dx%d", w, h) << w << h;
}

void LayoutTest::rule_keepsTheButtonRowTogether()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const Layout l = *ResizeRule::layoutFor(sized(width, height));
    QCOMPARE(l.fraData.width, width - 360);
    QCOMPARE(l.fraData.height, height - 3615);
    QCOMPARE(l.livData.width, width - 600);
    QCOMPARE(l.livData.height, height - 4470);
    QCOMPARE(l.chkDataSelectAll.top, height - 4110);
    const int tableRight = l.livData.left + l.livData.width;
    QCOMPARE(l.fraData.width - tableRight, 120);
    QCOMPARE(l.cmdDataDelete.left + l.cmdDataDelete.width, tableRight);
    QCOMPARE(l.cmdDataDelete.left - (l.cmdDataAppend.left + l.cmdDataAppend.width), 120);
    QCOMPARE(l.cmdDataAppend.left - (l.cmdDataInsert.left + l.cmdDataInsert.width), 120);
    for (const TwipsRect &r : {l.chkDataSelectAll, l.cmdDataInsert, l.cmdDataAppend, l.cmdDataDelete})
        QCOMPARE(r.top, l.chkDataSelectAll.top);
}

void LayoutTest::guard_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<bool>("minimized");
    QTest::addColumn<bool>("laidOut");
    QTest::newRow("on the desktop") << 300 << 300 << false << true;
    QTest::newRow("maximized, frame just beyond the edge") << -120 << -120 << false << true;
    QTest::newRow("left beyond the edge") << -121 << 0 << false << false;
    QTest::newRow("top beyond the edge") << 0 << -121 << false << false;
    QTest::newRow("where a minimized window goes") << -48000 << -48000 << false << false;
    QTest::newRow("minimized in place") << 300 << 300 << true << false;
}

void LayoutTest::guard()
{
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(bool, minimized);
    QFETCH(bool, laidOut);
    WindowState s = sized(100, 100);
    s.left = left;
    s.top = top;
    s.minimized = minimized;
    QCOMPARE(ResizeRule::layoutFor(s).has_value(), laidOut);
}

// The window applies the rule to the size it reports for its outer frame.
void LayoutTest::window_followsItsOuterSize()
{
    FakePlatform fake;
    auto w = startedWindow(fake);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    for (const QSize size : {QSize(900, 700), QSize(700, 450), QSize(1100, 900)}) {
        w->resize(size);
        settle();
        const QRect outer = w->frameGeometry();
        const Layout l = *ResizeRule::layoutFor(
            sized(pixelsToTwips(outer.width()), pixelsToTwips(outer.height())));
        QCOMPARE(placeOf(w->ui().fraData), l.fraData);
        QCOMPARE(placeOf(w->ui().livData), l.livData);
        QCOMPARE(placeOf(w->ui().chkDataSelectAll), l.chkDataSelectAll);
        QCOMPARE(placeOf(w->ui().cmdDataInsert), l.cmdDataInsert);
        QCOMPARE(placeOf(w->ui().cmdDataAppend), l.cmdDataAppend);
        QCOMPARE(placeOf(w->ui().cmdDataDelete), l.cmdDataDelete);
        // Everything of the frame lies within the window's client area.
        QVERIFY(w->ui().fraData->geometry().right() < w->centralWidget()->width());
        QVERIFY(w->ui().fraData->geometry().bottom() < w->centralWidget()->height());
    }
    // The top band never moves.
    QCOMPARE(w->ui().fraComm->geometry().topLeft(), QPoint(twipsToPixels(4800), twipsToPixels(240)));
    QCOMPARE(w->ui().cmdReset->geometry().topLeft(), QPoint(twipsToPixels(7800), twipsToPixels(1920)));
}

void LayoutTest::window_cannotGoBelowTheMinimum()
{
    FakePlatform fake;
    auto w = startedWindow(fake);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->resize(100, 100);
    settle();
    const QSize outer = w->frameGeometry().size();
    QCOMPARE(outer, QSize(twipsToPixels(9480), twipsToPixels(6000)));
    QCOMPARE(placeOf(w->ui().fraData), (TwipsRect{120, 2520, 9120, 2385}));
    QCOMPARE(placeOf(w->ui().livData), (TwipsRect{120, 240, 8880, 1530}));

    // Only the dimension that was too small snaps back.
    w->resize(100, 700);
    settle();
    QCOMPARE(w->frameGeometry().width(), twipsToPixels(9480));
    QCOMPARE(w->height(), 700);
}

// Minimizing and restoring leaves the layout as it was, and nothing is laid
// out while the window is minimized.
void LayoutTest::window_minimizedIsLeftAlone()
{
    FakePlatform fake;
    auto w = startedWindow(fake);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->resize(900, 700);
    settle();
    const Snapshot before = snapshot(*w);

    w->setWindowState(Qt::WindowMinimized);
    settle();
    QVERIFY(snapshot(*w) == before);
    w->resize(1000, 800);
    settle();
    QCOMPARE(w->size(), QSize(1000, 800));
    QVERIFY(snapshot(*w) == before);

    w->setWindowState(Qt::WindowNoState);
    w->resize(900, 700);
    settle();
    QVERIFY(snapshot(*w) == before);
}

// Resized while its left edge lies beyond the desktop's, the window is left
// as it was; back on the desktop it is laid out for its size.
void LayoutTest::window_beyondTheDesktopEdge_isLaidOutWhenItComesBack()
{
    FakePlatform fake;
    auto w = startedWindow(fake);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const QPoint desktop = w->screen()->virtualGeometry().topLeft();
    w->move(desktop + QPoint(20, 20));
    w->resize(900, 700);
    settle();
    const Snapshot at900 = snapshot(*w);

    w->move(desktop + QPoint(-100, 20));
    settle();
    w->resize(1000, 750);
    settle();
    QVERIFY(snapshot(*w) == at900);

    w->move(desktop + QPoint(20, 20));
    settle();
    const QSize outer = w->frameGeometry().size();
    const Layout l = *ResizeRule::layoutFor(sized(pixelsToTwips(outer.width()), pixelsToTwips(outer.height())));
    QCOMPARE(placeOf(w->ui().livData), l.livData);
    QCOMPARE(placeOf(w->ui().cmdDataDelete), l.cmdDataDelete);
}

void LayoutTest::window_maximized_fillsTheScreen()
{
    FakePlatform fake;
    auto w = startedWindow(fake);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const Snapshot normal = snapshot(*w);
    w->showMaximized();
    QTRY_VERIFY(w->frameGeometry().width() > twipsToPixels(11880));
    settle();
    QVERIFY(w->ui().livData->width() > normal.rects[1].width());
    QVERIFY(w->ui().livData->height() > normal.rects[1].height());
    const QRect table = w->ui().livData->geometry();
    QCOMPARE(w->ui().cmdDataDelete->geometry().right(), table.right());
    QVERIFY(w->ui().cmdDataDelete->geometry().top() > table.bottom());
}

QTEST_MAIN(LayoutTest)
#include "test_layout.moc"
