// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The operator's link controls on the fake port: port and baud choices,
// Remote/Local and Reset.
#include "gui/shell/frmControl.h"

#include "domain/ports/PortTarget.h"
#include "domain/ports/RoutedPort.h"
#include "domain/system/QtTimer.h"
#include "support/FakePlatform.h"
#include "support/Loopback.h"
#include "support/PtyPair.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using Kind = FakeSerialPort::Kind;

namespace {
QList<Kind> kindsOf(const FakeSerialPort &port)
{
    QList<Kind> kinds;
    for (const auto &e : port.events)
        kinds << e.kind;
    return kinds;
}

void choose(frmControl &w, bool remote)
{
    (remote ? w.ui().optSystemMode_1 : w.ui().optSystemMode_0)->setChecked(true);
    w.optSystemMode_Click(remote ? 1 : 0);
    settle(w);
}
} // namespace

class PortControlsTest : public QObject
{
    Q_OBJECT
private slots:
    void portChoice_closesOldPortBeforeOpeningNew();
    void portChoice_failing_leavesNoPortOpen_messageNamesIt();
    void portChoice_underLocal_leavesNewPortOpen();
    void baudChoice_data();
    void baudChoice();
    void remoteThenLocal();
    void remote_portFails_nothingChanges();
    void local_portFails_buttonsStayEnabled();
    void reset_sendsOnlyTheResetCommand();
    void reset_notPossibleUnderLocal();
    void modeCommand_refused_data();
    void modeCommand_refused();
    void remoteConnecting_windowAnswers_localGivesUp_data();
    void remoteConnecting_windowAnswers_localGivesUp();
};

void PortControlsTest::portChoice_closesOldPortBeforeOpeningNew()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    fake.busy.changes.clear();
    QElapsedTimer answered;
    answered.start();
    w->ui().cboCommPort->setCurrentText(QStringLiteral("COM 2"));
    w->cboCommPort_Click();
    settle(*w);
    // Work the session ends at once does not blink the pointer (on a
    // machine slow enough to take longer, the pointer may show, and then
    // only until the work ends).
    if (answered.elapsed() < frmControl::BusyPointerDelayMs)
        QVERIFY(fake.busy.changes.isEmpty());
    QVERIFY(!fake.busy.busy);
    QCOMPARE(kindsOf(fake.port), (QList<Kind>{Kind::Close, Kind::Open}));
    QCOMPARE(fake.port.events[0].port, 1);
    QCOMPARE(fake.port.events[1].port, 2);
    QVERIFY(fake.port.writes().isEmpty());
    QVERIFY(fake.messages.shown.isEmpty());
    QVERIFY(w->ui().optSystemMode_1->isChecked());
    QVERIFY(w->ui().cmdRunStop->isEnabled());
}

void PortControlsTest::portChoice_failing_leavesNoPortOpen_messageNamesIt()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    fake.port.openablePorts = {1};
    fake.port.openFailureText = QStringLiteral("connection refused");
    const QString connectedTo = w->ui().cboCommPort->itemData(1, Qt::ToolTipRole).toString();
    QVERIFY(!connectedTo.isEmpty());
    w->ui().cboCommPort->setCurrentText(QStringLiteral("COM 2"));
    w->cboCommPort_Click();
    settle(*w);
    QVERIFY(!fake.port.PortOpen());
    // The list's tooltip says, below what the entry is connected to, why,
    // until the port opens.
    QCOMPARE(w->ui().cboCommPort->toolTip(),
             connectedTo + QStringLiteral("\nCOM 2 could not be opened: connection refused"));
    QCOMPARE(kindsOf(fake.port), (QList<Kind>{Kind::Close, Kind::OpenFailed}));
    QCOMPARE(fake.messages.shown.size(), 1);
    const auto &m = fake.messages.shown.first();
    QCOMPARE(m.text, QStringLiteral("COM 2 : not available. Change the CommPort property to another port."));
    QCOMPARE(m.caption, QStringLiteral("Nesk DEMO"));
    QCOMPARE(m.buttons, MessageBox::Buttons::Ok);
    QCOMPARE(m.icon, MessageBox::Icon::None);
    // Remote stays chosen, RUN and Reset stay enabled.
    QVERIFY(w->ui().cmdRunStop->isEnabled());
    QVERIFY(w->ui().cmdReset->isEnabled());

    fake.port.openablePorts = {1, 2};
    w->cboCommPort_Click();
    settle(*w);
    QVERIFY(fake.port.PortOpen());
    QCOMPARE(w->ui().cboCommPort->toolTip(), connectedTo);
}

void PortControlsTest::portChoice_underLocal_leavesNewPortOpen()
{
    FakePlatform fake;
    auto w = startedWindow(fake, false);
    w->ui().cboCommPort->setCurrentText(QStringLiteral("COM 2"));
    w->cboCommPort_Click();
    settle(*w);
    QVERIFY(fake.port.PortOpen());
    QCOMPARE(fake.port.CommPort(), qint16(2));
    QVERIFY(!w->ui().cmdRunStop->isEnabled());
    QVERIFY(fake.port.writes().isEmpty());
}

void PortControlsTest::baudChoice_data()
{
    QTest::addColumn<bool>("open");
    QTest::newRow("port closed") << false;
    QTest::newRow("port open") << true;
}

void PortControlsTest::baudChoice()
{
    QFETCH(bool, open);
    FakePlatform fake;
    auto w = startedWindow(fake, open);
    w->ui().cboBaudRate->setCurrentText(QStringLiteral("4800"));
    w->cboBaudRate_Click();
    settle(*w);
    QCOMPARE(w->ui().labPortSetting->text(), QStringLiteral("4800,8,N,1"));
    QCOMPARE(fake.port.Settings(), QStringLiteral("4800,n,8,1"));
    QCOMPARE(fake.port.PortOpen(), open);
    QCOMPARE(kindsOf(fake.port), QList<Kind>{Kind::Settings});
}

void PortControlsTest::remoteThenLocal()
{
    FakePlatform fake;
    auto w = startedWindow(fake, false);
    choose(*w, true);
    QVERIFY(fake.port.PortOpen());
    QVERIFY(w->ui().cmdRunStop->isEnabled());
    QVERIFY(w->ui().cmdReset->isEnabled());
    choose(*w, false);
    QCOMPARE(fake.port.writes(), (QStringList{":SYST:REM \r", ":SYST:LOC \r"}));
    QCOMPARE(kindsOf(fake.port), (QList<Kind>{Kind::Open, Kind::Write, Kind::Write, Kind::Close}));
    QVERIFY(!fake.port.PortOpen());
    QVERIFY(!w->ui().cmdRunStop->isEnabled());
    QVERIFY(!w->ui().cmdReset->isEnabled());
}

void PortControlsTest::remote_portFails_nothingChanges()
{
    FakePlatform fake;
    auto w = startedWindow(fake, false);
    fake.port.openablePorts = {};
    choose(*w, true);
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown.first().text,
             QStringLiteral("COM 1 : not available. Change the CommPort property to another port."));
    QVERIFY(fake.port.writes().isEmpty());
    QVERIFY(!w->ui().cmdRunStop->isEnabled());
    QVERIFY(!w->ui().cmdReset->isEnabled());
    QVERIFY(w->ui().optSystemMode_1->isChecked()); // shows as clicked all the same
    QVERIFY(!fake.timer.Enabled());
}

void PortControlsTest::local_portFails_buttonsStayEnabled()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    fake.port.openablePorts = {1};
    w->ui().cboCommPort->setCurrentText(QStringLiteral("COM 2"));
    w->cboCommPort_Click();
    settle(*w);
    fake.messages.shown.clear();
    choose(*w, false);
    QCOMPARE(fake.messages.shown.size(), 1);
    QVERIFY(w->ui().cmdRunStop->isEnabled());
    QVERIFY(w->ui().cmdReset->isEnabled());
    QVERIFY(fake.port.writes().isEmpty());
}

void PortControlsTest::reset_sendsOnlyTheResetCommand()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->cmdReset_Click();
    settle(*w);
    QCOMPARE(fake.port.writes(), QStringList{"*RST\r"});
    QCOMPARE(fake.port.writes().first().toLatin1(), QByteArray("*RST\r"));
    QVERIFY(fake.timer.history.isEmpty());
    QCOMPARE(w->ui().cmdRunStop->text(), QStringLiteral("&RUN"));
}

void PortControlsTest::reset_notPossibleUnderLocal()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    choose(*w, false);
    QVERIFY(!w->ui().cmdReset->isEnabled());
    fake.port.clearEvents();
    QTest::mouseClick(w->ui().cmdReset, Qt::LeftButton);
    QVERIFY(fake.port.events.isEmpty());
}

void PortControlsTest::modeCommand_refused_data()
{
    QTest::addColumn<bool>("remote");
    QTest::newRow("Remote") << true;
    QTest::newRow("Local") << false;
}

// A port that opens but takes no command: the operator hears of it once,
// as Reset tells him, instead of the command being lost without a word.
void PortControlsTest::modeCommand_refused()
{
    QFETCH(bool, remote);
    FakePlatform fake;
    auto w = startedWindow(fake, !remote);
    fake.port.failWrites = true;
    choose(*w, remote);
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown.first().text,
             QStringLiteral("COM 1 : not available. Change the CommPort property to another port."));
    QCOMPARE(fake.messages.shown.first().caption, QStringLiteral("Nesk DEMO"));
    QCOMPARE(w->ui().cmdRunStop->isEnabled(), remote);
}

void PortControlsTest::remoteConnecting_windowAnswers_localGivesUp_data()
{
    QTest::addColumn<QString>("ending"); // what the operator does while it connects
    QTest::newRow("Local") << "local";
    QTest::newRow("Exit") << "exit";
}

// Remote on a port whose server never answers (a listener with a full
// backlog drops the connection request): the connect takes up to 3 s on
// the session's thread, and meanwhile the window goes on handling its
// events, locked and with the busy pointer. Local or Exit gives the connect
// up at once.
void PortControlsTest::remoteConnecting_windowAnswers_localGivesUp()
{
#ifndef Q_OS_UNIX
    QSKIP("pseudo-terminals and the listener's backlog are POSIX here");
#else
    QFETCH(QString, ending);
    const UnansweringServer server;
    QVERIFY(server.isListening());
    QTest::qWait(50);

    PtyPair pty;
    QVERIFY(pty.open());
    FakePlatform fake;
    RoutedPort port;
    QtTimer timer;
    PortMap ports;
    ports.setDevice(1, pty.deviceName());
    auto w = std::make_unique<frmControl>(fake.bundle(port, timer));
    w->setPortMap(ports);
    w->Form_Load();
    QVERIFY(settle(*w));
    // From its next opening on, COM 1 is the server that never answers.
    ports.set(1, *parsePortTarget(QStringLiteral("tcp://127.0.0.1:%1").arg(server.port())));
    w->setPortMap(ports);
    fake.messages.shown.clear();

    int turns = 0;
    QTimer beat;
    connect(&beat, &QTimer::timeout, [&turns] { ++turns; });
    beat.start(10);
    w->ui().optSystemMode_1->click();
    QTRY_VERIFY_WITH_TIMEOUT(turns >= 5, 1000);
    QVERIFY(w->lineBusy()); // still connecting, and the window answers
    QTRY_VERIFY(fake.busy.busy);
    QVERIFY(!w->ui().fraComm->isEnabled());
    QVERIFY(!w->ui().cmdRunStop->isEnabled());

    if (ending == QLatin1String("local")) {
        w->ui().optSystemMode_0->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->lineBusy(), 1000); // the connect alone would take 3 s
        QVERIFY(!port.PortOpen());
        QVERIFY(!w->ui().cmdRunStop->isEnabled());
        QVERIFY(w->ui().fraComm->isEnabled());
    } else {
        // The close gives the Remote's connect up, then tries once more to
        // switch the output off: the operator may have left it on earlier.
        w->close();
        QTRY_VERIFY_WITH_TIMEOUT(w->closed(), 5000);
    }
    QVERIFY(!fake.busy.busy);
    // Given up on the operator's word: no "not available" message for it.
    // The close's own try is told, with the warning that the output may
    // still be on.
    QCOMPARE(fake.messages.shown.size(), ending == QLatin1String("local") ? 0 : 2);
    if (ending == QLatin1String("exit"))
        QCOMPARE(fake.messages.shown.last().icon, MessageBox::Icon::Exclamation);
#endif
}

QTEST_MAIN(PortControlsTest)
#include "test_port_controls.moc"
