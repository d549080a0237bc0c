// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "app/Application.h"
#include "domain/ports/PortMap.h"
#include "gui/shell/Texts.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using Kind = FakeSerialPort::Kind;

class StartupTest : public QObject
{
    Q_OBJECT
private slots:
    void firstPortOpens_secondNeverTried();
    void firstPortFails_secondOpensSilently();
    void noPortOpens_oneMessageNothingWritten();
    void noPortOpens_programEndsWithStatus1();
    void normalStart_leavesTheDocumentedState();
    void normalStart_writesOnlyTheLocalCommand();
    void portList_toolTipsFollowTheWindowsMap();
    void shown_iconComesWithTheFirstFrame();
};

void StartupTest::firstPortOpens_secondNeverTried()
{
    FakePlatform fake;
    frmControl w(fake.bundle());
    w.Form_Load();
    settle(w);
    QCOMPARE(w.ui().cboCommPort->currentText(), QStringLiteral("COM 1"));
    for (const auto &e : fake.port.events)
        QCOMPARE(e.port, 1);
    QVERIFY(fake.messages.shown.isEmpty());
    QVERIFY(!w.noPortAvailable());
}

void StartupTest::firstPortFails_secondOpensSilently()
{
    FakePlatform fake;
    fake.port.openablePorts = {2};
    frmControl w(fake.bundle());
    w.Form_Load();
    settle(w);
    QCOMPARE(w.ui().cboCommPort->currentText(), QStringLiteral("COM 2"));
    QVERIFY(fake.messages.shown.isEmpty());
    QCOMPARE(fake.port.CommPort(), qint16(2));
    QCOMPARE(fake.port.commands(), QStringList{QStringLiteral(":SYST:LOC ")});
}

void StartupTest::noPortOpens_oneMessageNothingWritten()
{
    FakePlatform fake;
    fake.port.openablePorts = {};
    frmControl w(fake.bundle());
    w.Form_Load();
    settle(w);
    QCOMPARE(fake.messages.shown.size(), 1);
    const auto &m = fake.messages.shown.first();
    QCOMPARE(m.text, QStringLiteral("All communication ports are not available. Please check the ports!!"));
    QCOMPARE(m.caption, QStringLiteral("Nesk DEMO"));
    QCOMPARE(m.buttons, MessageBox::Buttons::Ok);
    QCOMPARE(m.icon, MessageBox::Icon::None);
    QVERIFY(w.noPortAvailable());
    QCOMPARE(fake.port.count(Kind::Write) + fake.port.count(Kind::WriteFailed), 0);
    QCOMPARE(fake.port.count(Kind::OpenFailed), 2);
    QVERIFY(!fake.port.PortOpen());
    QVERIFY(!w.isVisible());
}

void StartupTest::noPortOpens_programEndsWithStatus1()
{
    FakePlatform fake;
    fake.port.openablePorts = {};
    QCOMPARE(runProgram(*qApp, fake.bundle(), ProgramOptions()), 1);
    QCOMPARE(fake.messages.shown.size(), 1);
}

void StartupTest::normalStart_leavesTheDocumentedState()
{
    FakePlatform fake;
    frmControl w(fake.bundle());
    w.Form_Load();
    settle(w);
    QCOMPARE(w.windowTitle(), QStringLiteral("Tarvel Quorra-7 - Untitled.log"));
    QCOMPARE(w.ui().livData->count(), 0);
    QCOMPARE(w.ui().livData->model()->columnCount(), 8);
    QVERIFY(!fake.port.PortOpen());
    QCOMPARE(w.ui().cboBaudRate->currentText(), QStringLiteral("9600"));
    QCOMPARE(fake.port.Settings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(w.ui().labPortSetting->text(), QStringLiteral("9600,8,N,1"));
    QCOMPARE(w.ui().cboRunMode->currentText(), QStringLiteral("Single"));
    QCOMPARE(w.ui().txtCycleTime->text(), QStringLiteral("1"));
    QVERIFY(!w.ui().txtCycleTime->isEnabled());
    QVERIFY(w.ui().optSystemMode_0->isChecked());
    QVERIFY(!w.ui().optSystemMode_1->isChecked());
    QVERIFY(!w.ui().cmdRunStop->isEnabled());
    QVERIFY(!w.ui().cmdReset->isEnabled());
    QCOMPARE(w.ui().cmdRunStop->text(), QStringLiteral("&RUN"));
    QVERIFY(!w.ui().cmdDataInsert->isEnabled());
    QVERIFY(w.ui().cmdDataAppend->isEnabled());
    QVERIFY(!w.ui().cmdDataDelete->isEnabled());
    QVERIFY(!fake.timer.Enabled());
    QCOMPARE(w.statusText(), QString());
    QVERIFY(!w.document().modified());
    QCOMPARE(w.nextStepNumber(), 1);

    const QStringList ports = {QStringLiteral("COM 1"), QStringLiteral("COM 2")};
    const QStringList bauds = {QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"),
                               QStringLiteral("9600")};
    const QStringList modes = {QStringLiteral("Single"), QStringLiteral("Continuous"), QStringLiteral("Cycle")};
    auto entries = [](QComboBox *c) {
        QStringList l;
        for (int i = 0; i < c->count(); ++i)
            l << c->itemText(i);
        return l;
    };
    QCOMPARE(entries(w.ui().cboCommPort), ports);
    QCOMPARE(entries(w.ui().cboBaudRate), bauds);
    QCOMPARE(entries(w.ui().cboRunMode), modes);
}

void StartupTest::normalStart_writesOnlyTheLocalCommand()
{
    FakePlatform fake;
    frmControl w(fake.bundle());
    w.Form_Load();
    settle(w);
    QCOMPARE(fake.port.writes(), QStringList{QStringLiteral(":SYST:LOC \r")});
    QCOMPARE(fake.port.writes().first().toLatin1(), QByteArray(":SYST:LOC \r"));
    // The probe opens COM 1, the port choice reopens it, Local closes it.
    QList<Kind> kinds;
    for (const auto &e : fake.port.events)
        if (e.kind != Kind::Settings)
            kinds << e.kind;
    const QList<Kind> expected = {Kind::Open, Kind::Close, Kind::Open, Kind::Write, Kind::Close};
    QCOMPARE(kinds, expected);
}

void StartupTest::portList_toolTipsFollowTheWindowsMap()
{
    PortMap map;
    map.set(2, *parsePortTarget(QStringLiteral("tcp://10.0.0.7:4001")));
    FakePlatform fake;
    frmControl w(fake.bundle());
    w.setPortMap(map);
    w.Form_Load();
    settle(w);
    QVERIFY(fake.port.portMap == map); // the port opens by it
    QCOMPARE(w.ui().cboCommPort->itemData(1, Qt::ToolTipRole).toString(), map.toolTip(2));

    // Another window has its own map: none of this one's mappings.
    FakePlatform otherFake;
    frmControl other(otherFake.bundle());
    other.Form_Load();
    QCOMPARE(other.ui().cboCommPort->itemData(1, Qt::ToolTipRole).toString(), PortMap().toolTip(2));
}

void StartupTest::shown_iconComesWithTheFirstFrame()
{
    FakePlatform fake;
    frmControl w(fake.bundle());
    w.Form_Load();
    QVERIFY(w.windowIcon().isNull()); // made once the window has drawn itself
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(!w.windowIcon().isNull());
    QCOMPARE(w.windowIcon().availableSizes().size(), 3);

    // A window that is not drawn soon (started minimized) gets it anyway.
    FakePlatform hiddenFake;
    frmControl hidden(hiddenFake.bundle());
    hidden.Form_Load();
    QTRY_VERIFY_WITH_TIMEOUT(!hidden.windowIcon().isNull(), 3000);
}

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
