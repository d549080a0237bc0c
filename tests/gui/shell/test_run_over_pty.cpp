// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// A real run: the program's serial adapter and timer, a pseudo-terminal as
// the instrument, with the session on the window's thread and on its own.
// Bytes and order are checked exactly, timing loosely.
#include "domain/ports/PortMap.h"
#include "domain/ports/QtSerialPort.h"
#include "domain/system/QtTimer.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepEdits.h"

#include "RunFixture.h"
#include "support/PtyPair.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

class RunOverPtyTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void twoStepSingleRun();
    void farEndGoesAway_runEndsWithOneMessage();
    void editorRewritesRowDuringRun_nextPlayUsesIt();
    void stopDuringRun_outputOffAndUnlocked();

private:
    // Starts the window on the real port and timer, chooses Remote and
    // collects what arrives at the far end.
    std::unique_ptr<frmControl> startRemote();
    void stamp();

    PtyPair m_pty;
    int m_master = -1;
    FakePlatform m_fake;
    std::unique_ptr<QtSerialPort> m_port;
    std::unique_ptr<QtTimer> m_timer;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QElapsedTimer m_clock;
    QByteArray m_received;
    QList<QPair<qint64, QByteArray>> m_lines; // arrival time (ms) and line without CR
    QByteArray m_partial;
};

#ifdef Q_OS_UNIX
void RunOverPtyTest::init()
{
    QVERIFY(m_pty.open());
    m_master = m_pty.farEnd();
    PortMap ports;
    ports.setDevice(1, m_pty.deviceName());
    m_port = std::make_unique<QtSerialPort>();
    m_port->setPortMap(ports);
    m_timer = std::make_unique<QtTimer>();
    m_received.clear();
    m_lines.clear();
    m_fake.messages.shown.clear();
    m_partial.clear();
    m_clock.start();
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { stamp(); });
}

void RunOverPtyTest::cleanup()
{
    m_notifier.reset();
    m_pty.close();
    m_master = -1;
}

void RunOverPtyTest::stamp()
{
    char buffer[1024];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n <= 0) {
        m_notifier->setEnabled(false);
        return;
    }
    const qint64 now = m_clock.elapsed();
    m_received.append(buffer, n);
    for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] == '\r') {
            m_lines.append({now, m_partial});
            m_partial.clear();
        } else {
            m_partial.append(buffer[i]);
        }
    }
}

std::unique_ptr<frmControl> RunOverPtyTest::startRemote()
{
    auto w = std::make_unique<frmControl>(m_fake.bundle(*m_port, *m_timer));
    w->Form_Load();
    settle(*w);
    w->ui().optSystemMode_1->setChecked(true);
    w->optSystemMode_Click(1);
    settle(*w);
    return w;
}

void RunOverPtyTest::twoStepSingleRun()
{
    auto w = startRemote();
    StepSpec first, second;
    first.dwell = QStringLiteral("0.05");
    second.dwell = QStringLiteral("0.10");
    second.voltage = QStringLiteral("220.00");
    setSteps(*w, {first, second});
    QElapsedTimer run;
    run.start();
    w->cmdRunStop_Click();
    settle(*w);
    QTRY_COMPARE_WITH_TIMEOUT(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"), 5000);
    const qint64 took = run.elapsed();
    QTRY_VERIFY_WITH_TIMEOUT(m_received.endsWith(":OUTP OFF\r"), 2000);

    const QString expected = QStringLiteral(":SYST:LOC \r:SYST:REM \r") + RunStart + stepWire(BothPhases)
                             + stepWire(QString(), QStringLiteral("220.00")) + RunEnd;
    QCOMPARE(m_received, expected.toLatin1());
    QCOMPARE(w->statusText(), QStringLiteral("Now Stop"));
    QVERIFY(m_fake.messages.shown.isEmpty());

    // Loosely: step 2 one dwell after step 1, the end two of step 2's dwells later.
    qint64 step1 = -1, step2 = -1, end = -1;
    for (const auto &[at, line] : m_lines) {
        if (line == ":SOUR:VOLT 110.00")
            step1 = at;
        else if (line == ":SOUR:VOLT 220.00")
            step2 = at;
        else if (line == ":OUTP OFF")
            end = at;
    }
    QVERIFY(step2 - step1 >= 40 && step2 - step1 < 1000);
    QVERIFY(end - step2 >= 180 && end - step2 < 2000);
    QVERIFY(took >= 240);
}

void RunOverPtyTest::farEndGoesAway_runEndsWithOneMessage()
{
    auto w = startRemote();
    StepSpec step;
    step.dwell = QStringLiteral("0.03");
    setSteps(*w, {step, step, step});
    chooseRunMode(*w, QStringLiteral("Continuous"));
    w->cmdRunStop_Click();
    settle(*w);
    QTRY_VERIFY_WITH_TIMEOUT(m_lines.size() >= 12, 3000);
    // The instrument's end of the cable is gone: the next write fails.
    m_notifier.reset();
    m_pty.close();
    m_master = -1;
    QTRY_COMPARE_WITH_TIMEOUT(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"), 5000);
    QCOMPARE(w->statusText(), QStringLiteral("Now Stop"));
    QTest::qWait(150);
    QCOMPARE(m_fake.messages.shown.size(), 1);
    QCOMPARE(m_fake.messages.shown.first().text,
             QStringLiteral("COM 1 : not available. Change the CommPort property to another port.\n"
                            "The off commands could not be delivered to COM 1: the output may still be on"));
    QVERIFY(!w->session().onSessionThread([this] { return m_timer->Enabled(); }));
}

void RunOverPtyTest::editorRewritesRowDuringRun_nextPlayUsesIt()
{
    auto w = startRemote();
    StepSpec step;
    step.dwell = QStringLiteral("0.15");
    setSteps(*w, {step, step});
    chooseRunMode(*w, QStringLiteral("Cycle"), QStringLiteral("2"));
    w->cmdRunStop_Click();
    settle(*w);
    QTRY_VERIFY_WITH_TIMEOUT(m_received.count(":SOUR:VOLT 110.00\r") == 1, 3000);
    // As the step editor's OK writes the row, while the first step plays.
    StepRecord row = w->ui().livData->item(1);
    row.subItem(StepRecord::Voltage) = QStringLiteral("12.50");
    w->ui().livData->edits().setStep(1, row);
    QTRY_COMPARE_WITH_TIMEOUT(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(m_received.endsWith(RunEnd.toLatin1()), 2000);
    // The first play had gone out; the second play of row 1 is the new one.
    QCOMPARE(m_received.count(":SOUR:VOLT 110.00\r"), 3);
    QCOMPARE(m_received.count(":SOUR:VOLT 12.50\r"), 1);
    const QByteArray old = ":SOUR:VOLT 110.00\r";
    QVERIFY(m_received.indexOf(":SOUR:VOLT 12.50\r") > m_received.indexOf(old, m_received.indexOf(old) + 1));
}

void RunOverPtyTest::stopDuringRun_outputOffAndUnlocked()
{
    auto w = startRemote();
    StepSpec step;
    step.dwell = QStringLiteral("0.05");
    setSteps(*w, {step, step, step});
    chooseRunMode(*w, QStringLiteral("Continuous"));
    w->cmdRunStop_Click();
    settle(*w);
    QTRY_COMPARE_WITH_TIMEOUT(w->ui().cmdRunStop->text(), QStringLiteral("&STOP"), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(m_received.count(":SOUR:FREQ ") >= 4, 3000);
    w->ui().cmdRunStop->click();
    settle(*w);
    QTRY_COMPARE_WITH_TIMEOUT(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"), 3000);
    QVERIFY(w->ui().fraData->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(m_received.endsWith(RunEnd.toLatin1()), 2000);
    QCOMPARE(w->statusText(), QStringLiteral("Now Stop"));
    QVERIFY(m_fake.messages.shown.isEmpty());
    // Closing under Remote hands the instrument back.
    w->close();
    settle(*w);
    QTRY_VERIFY_WITH_TIMEOUT(m_received.endsWith(":SYST:LOC \r"), 2000);
}
#else
void RunOverPtyTest::init()
{
    QSKIP("pseudo-terminals are POSIX only");
}
void RunOverPtyTest::cleanup() {}
void RunOverPtyTest::stamp() {}
std::unique_ptr<frmControl> RunOverPtyTest::startRemote()
{
    return {};
}
void RunOverPtyTest::twoStepSingleRun() {}
void RunOverPtyTest::farEndGoesAway_runEndsWithOneMessage() {}
void RunOverPtyTest::editorRewritesRowDuringRun_nextPlayUsesIt() {}
void RunOverPtyTest::stopDuringRun_outputOffAndUnlocked() {}
#endif

QTEST_MAIN(RunOverPtyTest)
#include "test_run_over_pty.moc"
