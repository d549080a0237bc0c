// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The main window's controls: kind, container, caption, place, focus order
// and menus, row by row against the window's design.
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "gui/widgets/Twips.h"
#include "support/FakePlatform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>

namespace {
QRect designRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

QString caption(const QWidget *w)
{
    if (auto *g = qobject_cast<const QGroupBox *>(w))
        return g->title();
    const QVariant text = w->property("text");
    return text.isValid() ? text.toString() : QString();
}

bool showsCaptionOnly(const QWidget *w)
{
    return qobject_cast<const QLabel *>(w) || w->inherits("QCheckBox") || w->inherits("QRadioButton");
}
} // namespace

class ControlsTest : public QObject
{
    Q_OBJECT
private slots:
    void control_data();
    void control();
    void focusChain_followsTheTabIndexes();
    void tabKey_visitsTheControlsInOrder();
    void outputRelay_isShownButDisabled();
    void menus_data();
    void menus();
    void menus_haveNoShortcutKeys();
    void statusBar_closesTheClientArea();
    void startsAtTheDesignClientSize();
};

void ControlsTest::control_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("place"); // twips: left, top, width, height
    QTest::addColumn<int>("tabIndex");

    const QString client = QStringLiteral("frmControlClient");
    auto row = [](const char *name, const char *kind, const QString &container, const char *text, int l, int t,
                  int w, int h, int tab) {
        QTest::newRow(name) << QString::fromLatin1(kind) << container << QString::fromUtf8(text)
                            << QRect(l, t, w, h) << tab;
    };
    row("fraSystemMode", "QGroupBox", client, "System  Mode", 240, 240, 1695, 2175, 0);
    row("fraRunMode", "QGroupBox", client, "Run Mode", 2040, 240, 2655, 2175, 1);
    row("fraComm", "QGroupBox", client, "Communication", 4800, 240, 2655, 2175, 2);
    row("cmdRunStop", "QPushButton", client, "&RUN", 7800, 1200, 1215, 495, 3);
    row("cmdReset", "QPushButton", client, "Re&set", 7800, 1920, 1215, 495, 4);
    row("fraData", "QGroupBox", client, "Data Setting", 120, 2520, 11775, 6855, 5);

    const QString data = QStringLiteral("fraData");
    row("livData", "StepListView", data, "", 120, 240, 11535, 5895, 6);
    row("chkDataSelectAll", "QCheckBox", data, "Select All", 240, 6240, 1695, 255, 7);
    row("cmdDataInsert", "QPushButton", data, "&Insert", 7800, 6360, 1215, 375, 8);
    row("cmdDataDelete", "QPushButton", data, "&Delete", 10440, 6360, 1215, 375, 9);
    row("cmdDataAppend", "QPushButton", data, "&Append", 9120, 6360, 1215, 375, 20);

    const QString mode = QStringLiteral("fraSystemMode");
    row("optSystemMode_0", "QRadioButton", mode, "&Local", 360, 600, 975, 255, 10);
    row("optSystemMode_1", "QRadioButton", mode, "Re&Mote", 360, 1200, 1095, 255, 11);

    const QString run = QStringLiteral("fraRunMode");
    row("cboRunMode", "QComboBox", run, "", 480, 600, 1695, 315, 12);
    row("labCycleTime", "QLabel", run, "Cycle Time", 360, 1200, 780, 195, 16);
    row("txtCycleTime", "QLineEdit", run, "", 480, 1440, 1695, 315, 13);
    row("chkOutputRelay", "QCheckBox", run, "Output Relay Always On", 240, 1800, 2175, 255, 22);

    const QString comm = QStringLiteral("fraComm");
    row("labCommPort", "QLabel", comm, "Port", 360, 360, 285, 195, 17);
    row("cboCommPort", "QComboBox", comm, "", 480, 600, 1695, 315, 14);
    row("labBaudRate", "QLabel", comm, "Baud Rate", 360, 1200, 765, 195, 18);
    row("cboBaudRate", "QComboBox", comm, "", 480, 1440, 1695, 315, 15);
    row("labPortSetting", "QLabel", comm, "Port Setting", 1440, 1800, 825, 195, 21);
}

// Before start-up fills them, the controls show their design captions at
// their design places. A caption-only control may be wider than designed
// when its text needs it in this platform's font, never narrower.
void ControlsTest::control()
{
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QString, text);
    QFETCH(QRect, place);
    QFETCH(int, tabIndex);

    FakePlatform fake;
    frmControl w(fake.bundle());
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    auto *control = w.findChild<QWidget *>(name);
    QVERIFY(control);
    QVERIFY2(control->inherits(qPrintable(kind)), control->metaObject()->className());
    QVERIFY(control->parentWidget());
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(caption(control), text);
    QCOMPARE(control->property("tabIndex").toInt(), tabIndex);

    const QRect expected = designRect(place.left(), place.top(), place.width(), place.height());
    const QRect actual = control->geometry();
    QCOMPARE(actual.topLeft(), expected.topLeft());
    QCOMPARE(actual.height(), expected.height());
    if (showsCaptionOnly(control)) {
        QVERIFY(actual.width() >= expected.width());
        QVERIFY2(control->sizeHint().width() <= actual.width(), "caption cut off");
        QVERIFY2(control->geometry().right() <= control->parentWidget()->width(),
                 "caption runs out of its frame");
    } else {
        QCOMPARE(actual.width(), expected.width());
    }
}

// Frames, labels and the status bar take no focus; the rest take it in the
// order of their tab indexes, Append and the relay check box last.
void ControlsTest::focusChain_followsTheTabIndexes()
{
    FakePlatform fake;
    frmControl w(fake.bundle());
    const QStringList expected = {"cmdRunStop",    "cmdReset",      "livData",         "chkDataSelectAll",
                                  "cmdDataInsert", "cmdDataDelete", "optSystemMode_0", "optSystemMode_1",
                                  "cboRunMode",    "txtCycleTime",  "cboCommPort",     "cboBaudRate",
                                  "cmdDataAppend", "chkOutputRelay"};

    QStringList chain;
    QWidget *start = w.ui().cmdRunStop;
    QWidget *next = start;
    do {
        const QString name = next->objectName();
        if ((next->focusPolicy() & Qt::TabFocus) && next->property("tabIndex").isValid())
            chain << name;
        next = next->nextInFocusChain();
    } while (next != start);
    QCOMPARE(chain, expected);

    for (QWidget *noFocus :
         std::initializer_list<QWidget *>{w.ui().fraSystemMode, w.ui().fraRunMode, w.ui().fraComm,
                                          w.ui().fraData, w.ui().labCycleTime, w.ui().labCommPort,
                                          w.ui().labBaudRate, w.ui().labPortSetting, w.ui().StatusBar1})
        QVERIFY2(!(noFocus->focusPolicy() & Qt::TabFocus), qPrintable(noFocus->objectName()));
}

// The same order as the operator meets it with the Tab key; the disabled
// relay check box is passed over.
void ControlsTest::tabKey_visitsTheControlsInOrder()
{
    FakePlatform fake;
    auto w = startedWindow(fake);
    for (QWidget *c : w->findChildren<QWidget *>())
        if (c != w->ui().chkOutputRelay)
            c->setEnabled(true);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->ui().cmdRunStop->setFocus(Qt::TabFocusReason);

    QStringList visited;
    for (int i = 0; i < 13; ++i) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        // An editable list's edit field stands for its list.
        if (focus->objectName().isEmpty() && focus->parentWidget())
            focus = focus->parentWidget();
        visited << focus->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const QStringList expected = {"cmdRunStop",    "cmdReset",      "livData",         "chkDataSelectAll",
                                  "cmdDataInsert", "cmdDataDelete", "optSystemMode_0", "cboRunMode",
                                  "txtCycleTime",  "cboCommPort",   "cboBaudRate",     "cmdDataAppend",
                                  "cmdRunStop"};
    QCOMPARE(visited, expected);
}

void ControlsTest::outputRelay_isShownButDisabled()
{
    FakePlatform fake;
    auto w = startedWindow(fake);
    QVERIFY(!w->ui().chkOutputRelay->isEnabled());
    QVERIFY(!w->ui().chkOutputRelay->isHidden());
    QVERIFY(!w->ui().chkOutputRelay->isChecked());
}

void ControlsTest::menus_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items"); // name=caption, "name|" for a separator
    QTest::newRow("mnuFile") << "&File" << QStringList{"mnuNew=&New",   "mnuOpen=&Open",      "numS1|",
                                                       "mnuSave=&Save", "mnuSaveAs=&Save as", "numS2|",
                                                       "mnuExit=&Exit"};
    QTest::newRow("mnuHelp") << "&Help" << QStringList{"mnuAbout=&About..."};
}

void ControlsTest::menus()
{
    QFETCH(QString, title);
    QFETCH(QStringList, items);
    FakePlatform fake;
    frmControl w(fake.bundle());
    auto *menu = w.findChild<QMenu *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(menu);
    QCOMPARE(menu->title(), title);
    QStringList actual;
    for (QAction *a : menu->actions())
        actual << (a->isSeparator() ? a->objectName() + "|" : a->objectName() + "=" + a->text());
    QCOMPARE(actual, items);
}

void ControlsTest::menus_haveNoShortcutKeys()
{
    FakePlatform fake;
    frmControl w(fake.bundle());
    QStringList bar;
    for (QAction *top : w.menuBar()->actions()) {
        bar << top->menu()->objectName();
        for (QAction *a : top->menu()->actions())
            QVERIFY2(a->shortcuts().isEmpty(), qPrintable(a->objectName()));
    }
    QCOMPARE(bar, (QStringList{"mnuFile", "mnuTest", "mnuHelp"}));
}

// In the design the status bar is the last 375 twips of the client area
// (top 7935 of 8310), over its full width.
void ControlsTest::statusBar_closesTheClientArea()
{
    FakePlatform fake;
    frmControl w(fake.bundle());
    w.layout()->activate();
    const QWidget *client = w.centralWidget();
    QCOMPARE(w.ui().StatusBar1->height(), twipsToPixels(375));
    QCOMPARE(w.ui().StatusBar1->property("tabIndex").toInt(), 19);
    QCOMPARE(w.ui().StatusBar1->y() - client->y(), twipsToPixels(7935));
    QCOMPARE(w.ui().StatusBar1->width(), twipsToPixels(11880));
    QCOMPARE(w.ui().StatusBar1->geometry().bottom(), w.height() - 1);
}

void ControlsTest::startsAtTheDesignClientSize()
{
    FakePlatform fake;
    frmControl w(fake.bundle());
    w.layout()->activate();
    const int clientHeight = w.height() - w.menuBar()->sizeHint().height();
    QCOMPARE(w.width(), twipsToPixels(11880));
    QCOMPARE(clientHeight, twipsToPixels(8310));
    QCOMPARE(w.centralWidget()->height(), twipsToPixels(7935));
}

QTEST_MAIN(ControlsTest)
#include "test_controls.moc"
