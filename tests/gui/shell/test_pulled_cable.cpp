// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The serial adapter goes away in the middle of a run (its far end closes):
// the run ends as STOP does, the operator is told once, and choosing the
// port again reconnects.
#include "domain/ports/PortMap.h"
#include "domain/ports/QtSerialPort.h"
#include "gui/shell/Texts.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"
#include "support/PtyPair.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class PulledCableTest : public QObject
{
    Q_OBJECT
private slots:
    void farEndClosesMidRun_oneMessageRunEndsReconnects();
};

void PulledCableTest::farEndClosesMidRun_oneMessageRunEndsReconnects()
{
#ifndef Q_OS_UNIX
    QSKIP("pseudo-terminals are POSIX only");
#else
    PtyPair first;
    QVERIFY(first.open());
    PortMap ports;
    ports.setDevice(1, first.deviceName());
    ports.setDevice(2, QStringLiteral("/nonexistent/quorra-port"));

    FakePlatform fake;
    QtSerialPort port;
    Platform platform = fake.bundle();
    platform.port = &port;
    frmControl w(platform);
    w.setPortMap(ports);
    w.Form_Load();
    settle(w);
    w.ui().optSystemMode_1->setChecked(true);
    w.optSystemMode_Click(1);
    settle(w);
    w.cmdDataAppend_Click();
    w.cmdDataAppend_Click();
    w.cmdRunStop_Click();
    settle(w);
    QCOMPARE(w.ui().cmdRunStop->text(), Texts::StopCaption);
    QVERIFY(first.read(-1, 100).endsWith(":SOUR:TURN On\r"));

    // The cable goes: the next step's writes fail (once the last step's
    // commands would have left, as the line sets the pace).
    first.close();
    QTest::qWait(150);
    for (int i = 0; i < 3; ++i)
        fake.timer.tick();
    QCoreApplication::processEvents();

    QCOMPARE(w.ui().cmdRunStop->text(), Texts::RunCaption);
    QCOMPARE(w.statusText(), Texts::NowStop);
    QVERIFY(!fake.timer.Enabled());
    QVERIFY(!port.PortOpen());
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown.first().text,
             QStringLiteral("COM 1 : not available. Change the CommPort property to another port.\n"
                            "The off commands could not be delivered to COM 1: the output may still be on"));
    QVERIFY(w.ui().fraData->isEnabled());

    // A new cable on the same port: choosing the port again opens it, and
    // Remote and RUN work as before.
    PtyPair second;
    QVERIFY(second.open());
    ports.setDevice(1, second.deviceName());
    w.setPortMap(ports);
    w.cboCommPort_Click();
    settle(w);
    QVERIFY(port.PortOpen());
    w.optSystemMode_Click(1);
    settle(w);
    QCOMPARE(second.read(-1, 100), QByteArray(":SYST:REM \r"));
    w.cmdRunStop_Click();
    settle(w);
    const QByteArray runStart(":SOUR:TURN OFF\r:OUTP ON\r:SOUR:STPH 0.00\r");
    QByteArray run = second.read(int(runStart.size()));
    QVERIFY(run.startsWith(runStart));
    // STOP at once: the first step is still on its way at 9600 baud, so
    // what is left of it is dropped and a lone CR ends it before the off
    // commands. (A pseudo-terminal has taken the whole step already.)
    w.cmdRunStop_Click();
    settle(w);
    run += second.read(-1, 100);
    QVERIFY(run.endsWith(":SOUR:TURN On\r\r:SOUR:TURN OFF\r:OUTP OFF\r"));
    QCOMPARE(fake.messages.shown.size(), 1);
#endif
}

QTEST_MAIN(PulledCableTest)
#include "test_pulled_cable.moc"
