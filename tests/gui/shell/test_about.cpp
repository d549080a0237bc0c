// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The about box: its texts and places, one instance, not modal, and closing.
#include "gui/shell/frmAbout.h"
#include "gui/shell/frmControl.h"
#include "gui/widgets/Twips.h"
#include "support/FakePlatform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

namespace {
QList<frmAbout *> openAboutBoxes()
{
    QList<frmAbout *> boxes;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *a = qobject_cast<frmAbout *>(w); a && a->isVisible())
            boxes << a;
    return boxes;
}

void closeAll()
{
    for (frmAbout *a : openAboutBoxes())
        a->close();
    QTest::qWait(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

class AboutTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { closeAll(); }

    void versionText_data();
    void versionText();
    void texts();
    void places_data();
    void places();
    void fixedSizeDialog();
    void twoAboutCommands_giveOneBox();
    void notModal_mainWindowStillTakesInput();
    void closing_data();
    void closing();
    void closingTheMainWindow_leavesTheBoxOpen();
    void systemInfo_doesNothing();
};

void AboutTest::versionText_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("text");
    QTest::newRow("this program") << 1 << 0 << 0 << "Version 1.0.0";
    QTest::newRow("no leading zeros") << 2 << 10 << 7 << "Version 2.10.7";
    QTest::newRow("zero major") << 0 << 0 << 12 << "Version 0.0.12";
}

void AboutTest::versionText()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, text);
    QCOMPARE(::versionText(major, minor, revision), text);
}

void AboutTest::texts()
{
    frmAbout box;
    QCOMPARE(box.windowTitle(), QStringLiteral("About Nesk DEMO"));
    QCOMPARE(box.lblTitle->text(), QStringLiteral("Nesk DEMO"));
    QCOMPARE(box.lblVersion->text(), QStringLiteral("Version 1.0.0"));
    QCOMPARE(box.lblDescription->text(), QStringLiteral("App Description"));
    QCOMPARE(box.lblDisclaimer->text(), QStringLiteral("Warning: ..."));
    QCOMPARE(box.cmdOK->text(), QStringLiteral("OK"));
    QCOMPARE(box.cmdSysInfo->text(), QStringLiteral("&System Info..."));
    QVERIFY(box.cmdOK->isDefault());
    QVERIFY(!box.cmdSysInfo->isDefault());
    QVERIFY(box.picIcon->pixmap().size() == QSize(32, 32));
}

void AboutTest::places_data()
{
    QTest::addColumn<QRect>("place"); // twips
    QTest::newRow("picIcon") << QRect(240, 240, 540, 540);
    QTest::newRow("lblTitle") << QRect(1050, 240, 3885, 480);
    QTest::newRow("lblVersion") << QRect(1050, 780, 3885, 225);
    QTest::newRow("lblDescription") << QRect(1050, 1125, 3885, 1170);
    QTest::newRow("lblDisclaimer") << QRect(255, 2625, 3870, 825);
    QTest::newRow("cmdOK") << QRect(4245, 3120, 1260, 345);
    QTest::newRow("cmdSysInfo") << QRect(4260, 3075, 1245, 345);
}

void AboutTest::places()
{
    QFETCH(QRect, place);
    frmAbout box;
    auto *w = box.findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(w);
    QCOMPARE(w->geometry(), QRect(twipsToPixels(place.left()), twipsToPixels(place.top()),
                                  twipsToPixels(place.width()), twipsToPixels(place.height())));
}

void AboutTest::fixedSizeDialog()
{
    frmAbout box;
    const QSize client(twipsToPixels(5730), twipsToPixels(3690));
    QCOMPARE(box.size(), client);
    QCOMPARE(box.minimumSize(), client);
    QCOMPARE(box.maximumSize(), client);
    QVERIFY(!(box.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(box.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(box.windowFlags() & Qt::WindowCloseButtonHint);
    // The etched rule: a grey line over a white one, one pixel lower.
    QCOMPARE(box.Line1_0->geometry().top() + 1, box.Line1_1->geometry().top());
    QCOMPARE(box.Line1_0->geometry().right(), box.Line1_1->geometry().right());
}

// A second About brings the open box to the front without setting it up again.
void AboutTest::twoAboutCommands_giveOneBox()
{
    FakePlatform fake;
    auto w = startedWindow(fake);
    w->show();
    w->ui().mnuAbout->trigger();
    QCOMPARE(openAboutBoxes().size(), 1);
    frmAbout *first = w->about();
    QVERIFY(first);
    QCOMPARE(first->parentWidget(), nullptr);
    first->lblTitle->setText(QStringLiteral("changed"));

    w->ui().mnuAbout->trigger();
    QCOMPARE(openAboutBoxes().size(), 1);
    QCOMPARE(w->about().data(), first);
    QCOMPARE(first->lblTitle->text(), QStringLiteral("changed"));
}

// With the box open, the operator can still work in the main window.
void AboutTest::notModal_mainWindowStillTakesInput()
{
    FakePlatform fake;
    auto w = startedWindow(fake);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->mnuAbout_Click();
    QVERIFY(QTest::qWaitForWindowExposed(w->about().data()));
    QVERIFY(!w->about()->isModal());
    QCOMPARE(w->about()->windowModality(), Qt::NonModal);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    QSignalSpy clicks(w->ui().chkDataSelectAll, &QCheckBox::clicked);
    QTest::mouseClick(w->ui().chkDataSelectAll, Qt::LeftButton);
    QCOMPARE(clicks.size(), 1);
}

void AboutTest::closing_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("OK button") << 0;
    QTest::newRow("Enter") << 1;
    QTest::newRow("Esc") << 2;
    QTest::newRow("close box") << 3;
}

// Every way of closing discards the box; the next About sets up a new one.
void AboutTest::closing()
{
    QFETCH(int, how);
    FakePlatform fake;
    auto w = startedWindow(fake);
    w->mnuAbout_Click();
    QPointer<frmAbout> box = w->about();
    QVERIFY(QTest::qWaitForWindowExposed(box.data()));
    switch (how) {
    case 0: QTest::mouseClick(box->cmdOK, Qt::LeftButton); break;
    case 1: QTest::keyClick(box.data(), Qt::Key_Return); break;
    case 2: QTest::keyClick(box.data(), Qt::Key_Escape); break;
    default: box->close(); break;
    }
    QTRY_VERIFY(!box);
    QVERIFY(!w->about());

    w->mnuAbout_Click();
    QVERIFY(w->about());
    QCOMPARE(w->about()->lblVersion->text(), QStringLiteral("Version 1.0.0"));
}

// The box has no owner: it outlives the main window's close, and it counts
// as a window of its own, so the program goes on until it is closed too.
void AboutTest::closingTheMainWindow_leavesTheBoxOpen()
{
    FakePlatform fake;
    auto w = startedWindow(fake);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->mnuAbout_Click();
    QPointer<frmAbout> box = w->about();
    QVERIFY(QTest::qWaitForWindowExposed(box.data()));

    w->ui().mnuExit->trigger();
    QTRY_VERIFY(!w->isVisible());
    QTest::qWait(10);
    QVERIFY(box);
    QVERIFY(box->isVisible());
    QVERIFY(box->testAttribute(Qt::WA_QuitOnClose));
    QCOMPARE(box->windowHandle()->transientParent(), nullptr);
}

void AboutTest::systemInfo_doesNothing()
{
    frmAbout box;
    box.show();
    box.cmdSysInfo_Click();
    QVERIFY(box.isVisible());
    QVERIFY(box.cmdSysInfo->isHidden());
}

QTEST_MAIN(AboutTest)
#include "test_about.moc"
