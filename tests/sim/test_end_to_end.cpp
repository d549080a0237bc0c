// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The real main window, offscreen, on its real serial adapter and timer,
// wired over a pseudo-terminal to the virtual source running live: what the
// run sends is what the source receives, and the source ends in the state
// the run left it.
#include "domain/ports/PortMap.h"
#include "domain/ports/QtSerialPort.h"
#include "domain/system/QtTimer.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "sim/demo/WindowDriver.h"
#include "sim/source/SourceLink.h"
#include "support/FakePlatform.h"
#include "support/TapPort.h"

#include <QElapsedTimer>
#include <QTest>

namespace {
StepRecord row(const char *label, std::array<QString, 7> values)
{
    StepRecord r;
    r.checked = true;
    r.label = QLatin1String(label);
    r.values = std::move(values);
    return r;
}
} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void singleRunArrivesAsSent();
};

void EndToEndTest::singleRunArrivesAsSent()
{
    QElapsedTimer since;
    since.start();
    SourceLink link([&since] { return static_cast<double>(since.nsecsElapsed()) / 1e6; });
    QVERIFY2(link.isOpen(), qPrintable(link.errorText()));
    PortMap ports;
    ports.setDevice(1, link.farEndPath());
    ports.setDevice(2, QStringLiteral("/nonexistent/quorra-test/COM2"));
    link.setLive(true);

    QtSerialPort serial;
    QStringList written;
    TapPort tap(serial, [&](const QString &text) { written << text; });
    QtTimer timer;
    FakeMessageBox messages;
    FakeFileDialog files;
    FakeBusyPointer busy;
    frmControl window(Platform{&tap, &timer, &messages, &files, &busy});
    window.setPortMap(ports);
    link.setStepProbe([&] { return playingStep(window); });

    // The operator's pauses let the source read each action's commands
    // apart, as the event loop does between clicks.
    window.Form_Load();
    settle(window);
    QVERIFY(!window.noPortAvailable());
    // The real port works where the session does, behind the tap.
    QCOMPARE(serial.thread(), window.session().thread());
    QTest::qWait(20);
    chooseRemote(window);
    QTest::qWait(20);
    window.ui().livData->add(1, row("Step1", {"On", "Low", "100.00", "50.00", "0.00", "360.00", "0.05"}));
    window.ui().livData->add(2, row("Step2", {"On", "High", "230.00", "60.00", "90.00", "270.00", "0.10"}));
    chooseRunMode(window, {});
    window.cmdRunStop_Click();
    settle(window);
    QVERIFY(isRunning(window));

    QTRY_COMPARE_WITH_TIMEOUT(window.statusText(), QStringLiteral("Now Stop"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        !link.model().nextDue() && link.model().transcript().size() == size_t(written.size()), 5000);
    QVERIFY(messages.shown.isEmpty());

    // The transcript is the run, byte for byte, in order, all understood.
    QStringList received;
    for (const ReceivedLine &line : link.model().transcript()) {
        received << QString::fromLatin1(line.text) + QLatin1Char('\r');
        QVERIFY2(line.ok(), qPrintable(line.error));
    }
    QCOMPARE(received, written);
    const QStringList run = {":SOUR:TURN OFF\r",    ":OUTP ON\r",         ":SOUR:STPH 0.00\r",
                             ":SOUR:SPPH 360.00\r", ":SOUR:FREQ 50.00\r", ":SOUR:RANG Low\r",
                             ":SOUR:VOLT 100.00\r", ":SOUR:TURN On\r",    ":SOUR:STPH 90.00\r",
                             ":SOUR:SPPH 270.00\r", ":SOUR:FREQ 60.00\r", ":SOUR:RANG High\r",
                             ":SOUR:VOLT 230.00\r", ":SOUR:TURN On\r",    ":SOUR:TURN OFF\r",
                             ":OUTP OFF\r"};
    QCOMPARE(written, QStringList({":SYST:LOC \r", ":SYST:REM \r"}) + run);

    // The state the run left behind.
    const SourceState &s = link.model().state();
    QVERIFY(s.remote);
    QVERIFY(!s.relay);
    QVERIFY(!s.output);
    QCOMPARE(s.range, QStringLiteral("High"));
    QCOMPARE(s.volts, 230.0);
    QCOMPARE(s.hertz, 60.0);
    QCOMPARE(s.startPhase, 90.0);
    QCOMPARE(s.stopPhase, 270.0);

    // The line settings the window applied timed the bytes: no line arrives
    // sooner than its characters take after the one before. (The exact
    // timing of a run is the dry run's test: here the times are real.)
    QCOMPARE(lineSettingsText(link.model().line()), QStringLiteral("9600,8,N,1"));
    const auto &t = link.model().transcript();
    for (size_t i = 1; i < t.size(); ++i)
        QVERIFY(t[i].ms - t[i - 1].ms >= (t[i].text.size() + 1) * 10000.0 / 9600 - 1e-6);

    // Both steps' commands outlast their dwell at 9600 baud.
    QStringList stretched;
    for (const StretchedStep &step : link.stretchedSteps())
        stretched << step.text();
    QCOMPARE(stretched, QStringList({"Step1: 127 ms of commands at 9600 baud, dwell 50 ms",
                                     "Step2: 104 ms of commands at 9600 baud, dwell 100 ms"}));

    link.setLive(false);
}

void EndToEndTest::initTestCase()
{
#ifndef Q_OS_UNIX
    QSKIP("the virtual source's cable is a POSIX pseudo-terminal");
#endif
}

QTEST_MAIN(EndToEndTest)
#include "test_end_to_end.moc"
