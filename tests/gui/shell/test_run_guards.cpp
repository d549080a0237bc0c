// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// What RUN, Reset and a running program do when something is wrong: a dwell
// the timer cannot hold, a cycle count that is no number, a port that is
// closed, a write that fails, a link that drops.
#include "gui/shell/frmControl.h"

#include "RunFixture.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using Kind = FakeSerialPort::Kind;

namespace {
const QString PortMessage = QStringLiteral(
    "COM 1 : not available. Change the CommPort property to another port.");
// A run that ends on a link that took no off commands says what that means.
const QString RunLostMessage
    = PortMessage
      + QStringLiteral("\nThe off commands could not be delivered to COM 1: the output may still be on");

// A port that drops its link in the middle of a write, as the real one does
// when the adapter is pulled: closes, reports the loss, and fails the write.
class DroppingPort : public FakeSerialPort
{
public:
    bool dropOnWrite = false;
    bool setOutput(const QString &text) override
    {
        if (dropOnWrite && PortOpen()) {
            loseLink();
            return false;
        }
        return FakeSerialPort::setOutput(text);
    }
};

bool isIdle(frmControl &w)
{
    settle(w);
    return w.ui().cmdRunStop->text() == QStringLiteral("&RUN") && w.ui().fraData->isEnabled()
           && w.ui().fraComm->isEnabled() && w.ui().fraRunMode->isEnabled()
           && w.statusText() == QStringLiteral("Now Stop");
}
} // namespace

class RunGuardsTest : public QObject
{
    Q_OBJECT
private slots:
    void dwellOutsideTimerRange_refusesRun_data();
    void dwellOutsideTimerRange_refusesRun();
    void cycleFieldNoNumber_refusesWithRangeMessage();
    void closedPort_runTriesItAgain_data();
    void closedPort_runTriesItAgain();
    void failedWriteDuringRun_endsRunWithOneMessage_data();
    void failedWriteDuringRun_endsRunWithOneMessage();
    void droppedLinkInsideWrite_oneMessage_data();
    void droppedLinkInsideWrite_oneMessage();
    void linkLostBetweenTicks_endsRun();
    void linkLostWhileIdle_saysNothing();
    void failedReset_whileIdle_saysSo();
};

void RunGuardsTest::dwellOutsideTimerRange_refusesRun_data()
{
    QTest::addColumn<QString>("dwell");
    QTest::newRow("70 s") << "70";
    QTest::newRow("65.536 s") << "65.536";
    QTest::newRow("negative") << "-0.5";
}

void RunGuardsTest::dwellOutsideTimerRange_refusesRun()
{
    QFETCH(QString, dwell);
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    StepSpec bad;
    bad.dwell = dwell;
    setSteps(*w, {StepSpec{}, StepSpec{}, bad});
    w->ui().livData->steps().setRow(3, stepRecord(7, bad)); // labels loaded from a file may be anything
    w->cmdRunStop_Click();
    settle(*w);
    QCOMPARE(fake.port.events.size(), 0);
    QVERIFY(fake.timer.history.isEmpty());
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"));
    QVERIFY(w->ui().fraData->isEnabled());
    QCOMPARE(fake.messages.shown.size(), 1);
    const auto &m = fake.messages.shown.first();
    QVERIFY2(m.text.startsWith(QStringLiteral("Step7 (row 3): the dwell time \"") + dwell + '"'),
             qPrintable(m.text));
    QVERIFY2(m.text.contains(QStringLiteral("0 to 65.535 seconds")), qPrintable(m.text));
    QCOMPARE(m.caption, QStringLiteral("Nesk DEMO"));
    QCOMPARE(m.icon, MessageBox::Icon::Exclamation);

    // The same row unchecked is never played: the run goes ahead.
    w->ui().livData->steps().setChecked(3, false);
    fake.messages.shown.clear();
    w->cmdRunStop_Click();
    settle(*w);
    QVERIFY(fake.messages.shown.isEmpty());
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&STOP"));
}

void RunGuardsTest::cycleFieldNoNumber_refusesWithRangeMessage()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}});
    chooseRunMode(*w, QStringLiteral("Single"));
    QCOMPARE(runTranscript(*w, fake).size(), 3);
    chooseRunMode(*w, QStringLiteral("Cycle"), QStringLiteral("abc"));
    w->ui().cmdRunStop->setFocus();
    fake.messages.shown.clear();

    w->cmdRunStop_Click();
    settle(*w);
    QVERIFY(fake.port.writes().isEmpty());
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"));
    QCOMPARE(w->session().state().RunCycles, 1); // untouched
    QCOMPARE(fake.messages.shown.size(), 1);
    const auto &m = fake.messages.shown.first();
    QCOMPARE(m.text, QStringLiteral(" 1 to  9999 only!"));
    QCOMPARE(m.caption, QStringLiteral("Error!!"));
    QCOMPARE(m.icon, MessageBox::Icon::Exclamation);
    QCOMPARE(m.buttons, MessageBox::Buttons::Ok);
    QCOMPARE(w->focusWidget(), w->ui().txtCycleTime);
    QCOMPARE(w->ui().txtCycleTime->text(), QStringLiteral("abc"));
}

void RunGuardsTest::closedPort_runTriesItAgain_data()
{
    QTest::addColumn<bool>("portComesBack");
    QTest::newRow("still missing") << false;
    QTest::newRow("back again") << true;
}

void RunGuardsTest::closedPort_runTriesItAgain()
{
    QFETCH(bool, portComesBack);
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}});
    // Another port chosen under Remote fails to open: RUN stays enabled.
    fake.port.openablePorts = {1};
    w->ui().cboCommPort->setCurrentText(QStringLiteral("COM 2"));
    w->cboCommPort_Click();
    settle(*w);
    QVERIFY(w->ui().cmdRunStop->isEnabled());
    fake.port.clearEvents();
    fake.messages.shown.clear();
    if (portComesBack)
        fake.port.openablePorts = {1, 2};

    w->cmdRunStop_Click();
    settle(*w);
    if (portComesBack) {
        QVERIFY(fake.messages.shown.isEmpty());
        QCOMPARE(fake.port.events.first().kind, Kind::Open);
        QCOMPARE(fake.port.writes().value(0), QStringLiteral(":SOUR:TURN OFF\r"));
        QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&STOP"));
        return;
    }
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown.first().text,
             QStringLiteral("COM 2 : not available. Change the CommPort property to another port."));
    QCOMPARE(fake.port.count(Kind::Write) + fake.port.count(Kind::WriteFailed), 0);
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"));
    QVERIFY(w->ui().fraData->isEnabled());
    QVERIFY(fake.timer.history.isEmpty());
}

// Where the write fails: 0 = RUN's first command, 1 = a step on a tick,
// 2 = the end of the run, 3 = STOP, 4 = Reset during the run.
void RunGuardsTest::failedWriteDuringRun_endsRunWithOneMessage_data()
{
    QTest::addColumn<int>("where");
    QTest::newRow("RUN") << 0;
    QTest::newRow("step") << 1;
    QTest::newRow("end of run") << 2;
    QTest::newRow("STOP") << 3;
    QTest::newRow("Reset") << 4;
}

void RunGuardsTest::failedWriteDuringRun_endsRunWithOneMessage()
{
    QFETCH(int, where);
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}, StepSpec{}});
    if (where == 0)
        fake.port.failWrites = true;
    w->cmdRunStop_Click();
    settle(*w);
    if (where >= 1) {
        if (where == 2) {
            QVERIFY(fake.timer.tick());
            QVERIFY(fake.timer.tick());
        }
        fake.port.failWrites = true;
        fake.port.clearEvents();
        if (where <= 2)
            QVERIFY(fake.timer.tick());
        else if (where == 3) {
            w->cmdRunStop_Click();
            settle(*w);
        } else {
            w->cmdReset_Click();
            settle(*w);
        }
    }
    QVERIFY(isIdle(*w));
    QVERIFY(!fake.timer.Enabled());
    QVERIFY(!fake.timer.tick());
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown.first().text, RunLostMessage);
    // A step stops at its first failed command; the end of a run and STOP
    // still try to switch the output off.
    const int expectedAttempts = where == 2 || where == 3 ? 2 : 1;
    QCOMPARE(fake.port.count(Kind::WriteFailed), expectedAttempts);
}

void RunGuardsTest::droppedLinkInsideWrite_oneMessage_data()
{
    failedWriteDuringRun_endsRunWithOneMessage_data();
}

void RunGuardsTest::droppedLinkInsideWrite_oneMessage()
{
    QFETCH(int, where);
    FakePlatform fake;
    DroppingPort port;
    port.setCommPort(1);
    Platform platform = fake.bundle();
    platform.port = &port;
    frmControl w(platform);
    w.Form_Load();
    settle(w);
    w.ui().optSystemMode_1->setChecked(true);
    w.optSystemMode_Click(1);
    settle(w);
    setSteps(w, {StepSpec{}, StepSpec{}});
    port.dropOnWrite = where == 0;
    w.cmdRunStop_Click();
    settle(w);
    if (where >= 1) {
        if (where == 2) {
            QVERIFY(fake.timer.tick());
            QVERIFY(fake.timer.tick());
        }
        port.dropOnWrite = true;
        if (where <= 2)
            QVERIFY(fake.timer.tick());
        else if (where == 3) {
            w.cmdRunStop_Click();
            settle(w);
        } else {
            w.cmdReset_Click();
            settle(w);
        }
    }
    QVERIFY(isIdle(w));
    QVERIFY(!fake.timer.tick());
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown.first().text, RunLostMessage);
}

void RunGuardsTest::linkLostBetweenTicks_endsRun()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}, StepSpec{}});
    w->cmdRunStop_Click();
    settle(*w);
    fake.port.clearEvents();
    fake.port.loseLink();
    QVERIFY(isIdle(*w));
    QVERIFY(!fake.timer.tick());
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown.first().text, RunLostMessage);
    QCOMPARE(fake.port.count(Kind::Write) + fake.port.count(Kind::WriteFailed), 0);
    // The next RUN opens the port again.
    fake.messages.shown.clear();
    w->cmdRunStop_Click();
    settle(*w);
    QVERIFY(fake.port.PortOpen());
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&STOP"));
}

void RunGuardsTest::linkLostWhileIdle_saysNothing()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    fake.port.loseLink();
    settle(*w); // what the session would say has reached the window
    QVERIFY(fake.messages.shown.isEmpty());
    QCOMPARE(w->statusText(), QString());
}

void RunGuardsTest::failedReset_whileIdle_saysSo()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    fake.port.failWrites = true;
    w->cmdReset_Click();
    settle(*w);
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown.first().text, PortMessage);
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"));
}

QTEST_MAIN(RunGuardsTest)
#include "test_run_guards.moc"
