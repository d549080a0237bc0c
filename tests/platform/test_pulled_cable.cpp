// The serial adapter goes away in the middle of a run (its far end closes):
// the run ends as STOP does, the operator is told once, and choosing the
// port again reconnects.
#include "platform/PortNames.h"
#include "platform/QtSerialPort.h"
#include "shell/Texts.h"
#include "shell/frmControl.h"
#include "steps/StepListView.h"
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
    setSerialDeviceOverride(1, first.deviceName());
    setSerialDeviceOverride(2, QStringLiteral("/nonexistent/quorra-port"));

    FakePlatform fake;
    QtSerialPort port;
    Platform platform = fake.bundle();
    platform.port = &port;
    frmControl w(platform);
    w.Form_Load();
    ui(w).optSystemMode_1->setChecked(true);
    w.optSystemMode_Click(1);
    w.cmdDataAppend_Click();
    w.cmdDataAppend_Click();
    w.cmdRunStop_Click();
    QCOMPARE(ui(w).cmdRunStop->text(), Texts::StopCaption);
    QVERIFY(first.read(-1, 100).endsWith(":SOUR:TURN On\r"));

    // The cable goes: the next step's writes fail.
    first.close();
    for (int i = 0; i < 3; ++i)
        fake.timer.tick();
    QCoreApplication::processEvents();

    QCOMPARE(ui(w).cmdRunStop->text(), Texts::RunCaption);
    QCOMPARE(w.statusText(), Texts::NowStop);
    QVERIFY(!fake.timer.Enabled());
    QVERIFY(!port.PortOpen());
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown.first().text,
             QStringLiteral("COM 1 : not available. Change the CommPort property to another port."));
    QVERIFY(ui(w).fraData->isEnabled());

    // A new cable on the same port: choosing the port again opens it, and
    // Remote and RUN work as before.
    PtyPair second;
    QVERIFY(second.open());
    setSerialDeviceOverride(1, second.deviceName());
    w.cboCommPort_Click();
    QVERIFY(port.PortOpen());
    w.optSystemMode_Click(1);
    QCOMPARE(second.read(-1, 100), QByteArray(":SYST:REM \r"));
    w.cmdRunStop_Click();
    QVERIFY(second.read(-1, 100).startsWith(":SOUR:TURN OFF\r:OUTP ON\r:SOUR:STPH 0.00\r"));
    w.cmdRunStop_Click();
    QCOMPARE(second.read(-1, 100), QByteArray(":SOUR:TURN OFF\r:OUTP OFF\r"));
    QCOMPARE(fake.messages.shown.size(), 1);
    clearSerialDeviceOverrides();
#endif
}

QTEST_MAIN(PulledCableTest)
#include "test_pulled_cable.moc"
