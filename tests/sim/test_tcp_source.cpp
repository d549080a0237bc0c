// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The window's COM 1 connected over loopback TCP to the virtual source, as
// to an instrument behind a serial server: start-up's ":SYST:LOC " and a
// run arrive as sent, and a server that drops the connection is a lost link
// with the port's own message.
#include "domain/ports/PortMap.h"
#include "domain/ports/RoutedPort.h"
#include "domain/system/QtTimer.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "sim/demo/WindowDriver.h"
#include "sim/source/SourceLink.h"
#include "sim/source/TcpCable.h"
#include "support/FakePlatform.h"
#include "support/TapPort.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>

class TcpSourceTest : public QObject
{
    Q_OBJECT
private slots:
    void startUpRunAndDroppedLink();
};

void TcpSourceTest::startUpRunAndDroppedLink()
{
    QElapsedTimer since;
    since.start();
    SourceLink link([&] { return static_cast<double>(since.nsecsElapsed()) / 1e6; }, SourceLink::Cable::Tcp);
    QVERIFY2(link.isOpen(), qPrintable(link.errorText()));
    link.setLive(true);
    PortMap ports;
    ports.set(1, link.farEnd());
    ports.setDevice(2, QStringLiteral("/nonexistent/quorra-test/COM2"));
    const auto received = [&] {
        QStringList lines;
        for (const ReceivedLine &line : link.model().transcript())
            lines << QString::fromLatin1(line.text) + QLatin1Char('\r');
        return lines;
    };

    RoutedPort port;
    QStringList written;
    TapPort tap(port, [&](const QString &text) { written << text; });
    QtTimer timer;
    FakePlatform fake;
    Platform platform = fake.bundle(tap, timer);
    frmControl w(platform);
    w.setPortMap(ports);
    w.Form_Load();
    settle(w);

    QCOMPARE(w.ui().cboCommPort->currentText(), QStringLiteral("COM 1"));
    QVERIFY(w.ui()
                .cboCommPort->itemData(0, Qt::ToolTipRole)
                .toString()
                .startsWith(link.farEndPath() + QStringLiteral(" (serial server, raw TCP")));
    QVERIFY(port.isTcp());
    QTRY_COMPARE(received(), QStringList{QStringLiteral(":SYST:LOC \r")});

    // A single run arrives as sent, the chosen rate kept for the label.
    chooseBaudRate(w, QStringLiteral("2400"));
    QCOMPARE(port.Settings(), QStringLiteral("2400,n,8,1"));
    chooseRemote(w);
    StepRecord step;
    step.checked = true;
    step.label = QStringLiteral("Step1");
    step.values = {"On", "Low", "100.00", "50.00", "0.00", "360.00", "0.05"};
    w.ui().livData->add(1, step);
    chooseRunMode(w, {});
    w.cmdRunStop_Click();
    settle(w);
    QTRY_COMPARE_WITH_TIMEOUT(w.statusText(), QStringLiteral("Now Stop"), 10000);
    QTRY_COMPARE(received(), written);
    QCOMPARE(written.last(), QStringLiteral(":OUTP OFF\r"));
    QCOMPARE(link.model().errorCount(), 0);
    QVERIFY(fake.messages.shown.isEmpty());

    // The server drops the connection during a continuous run.
    chooseRunMode(w, RunChoice{RunChoice::Mode::Continuous, 1});
    w.cmdRunStop_Click();
    settle(w);
    QVERIFY(isRunning(w));
    auto &cable = static_cast<TcpCable &>(link.cable());
    QTRY_COMPARE(cable.connectionCount(), 1);
    cable.dropConnections();
    QTRY_VERIFY(!isRunning(w));
    QTest::qWait(50);
    QCOMPARE(w.statusText(), QStringLiteral("Now Stop"));
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown[0].text,
             QStringLiteral("COM 1 : not available. Change the CommPort property to another port.\n"
                            "The off commands could not be delivered to COM 1: the output may still be on"));
    QVERIFY(!port.PortOpen());
    link.setLive(false);
}

QTEST_MAIN(TcpSourceTest)
#include "test_tcp_source.moc"
