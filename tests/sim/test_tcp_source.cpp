// The window's COM 1 connected over loopback TCP to the virtual source, as
// to an instrument behind a serial server: start-up's ":SYST:LOC " and a
// run arrive as sent, and a server that drops the connection is a lost link
// with the port's own message.
#include "platform/PortNames.h"
#include "platform/QtTimer.h"
#include "platform/RoutedPort.h"
#include "shell/frmControl.h"
#include "sim/SourceLink.h"
#include "sim/TcpCable.h"
#include "sim/WindowDriver.h"
#include "steps/StepListView.h"
#include "support/FakePlatform.h"
#include "support/TapPort.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>

namespace {
QStringList receivedLines(const SourceLink &link)
{
    QStringList lines;
    for (const ReceivedLine &line : link.model().transcript())
        lines << QString::fromLatin1(line.text) + QLatin1Char('\r');
    return lines;
}
} // namespace

class TcpSourceTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startUpAndRun_arriveAsSent();
    void serverDropsTheConnection_runEndsWithThePortMessage();

private:
    QElapsedTimer m_since;
    std::unique_ptr<SourceLink> m_link;
    std::unique_ptr<RoutedPort> m_port;
    QStringList m_written;
    std::unique_ptr<TapPort> m_tap;
    QtTimer m_timer;
    FakePlatform m_fake;
    std::unique_ptr<frmControl> m_window;
};

void TcpSourceTest::init()
{
    m_since.start();
    m_link = std::make_unique<SourceLink>([this] { return static_cast<double>(m_since.nsecsElapsed()) / 1e6; },
                                          SourceLink::Cable::Tcp);
    QVERIFY2(m_link->isOpen(), qPrintable(m_link->errorText()));
    m_link->setLive(true);
    setPortMapping(1, m_link->farEnd());
    setSerialDeviceOverride(2, QStringLiteral("/nonexistent/quorra-test/COM2"));

    m_port = std::make_unique<RoutedPort>();
    m_written.clear();
    m_tap = std::make_unique<TapPort>(*m_port, [this](const QString &text) { m_written << text; });
    Platform platform = m_fake.bundle();
    platform.port = m_tap.get();
    platform.timer = &m_timer;
    m_window = std::make_unique<frmControl>(platform);
    m_window->Form_Load();
}

void TcpSourceTest::cleanup()
{
    m_window.reset();
    m_tap.reset();
    m_port.reset();
    m_link.reset();
    m_fake.messages.shown.clear();
    clearPortMappings();
}


void TcpSourceTest::startUpAndRun_arriveAsSent()
{
    frmControl &w = *m_window;
    QVERIFY(!w.NoPortAvailable);
    QCOMPARE(w.cboCommPort->currentText(), QStringLiteral("COM 1"));
    QCOMPARE(w.cboCommPort->itemData(0, Qt::ToolTipRole).toString(), m_link->farEndPath());
    QVERIFY(m_port->isTcp());
    QTRY_COMPARE(receivedLines(*m_link), QStringList{QStringLiteral(":SYST:LOC \r")});
    // The serial server's line, not the program's choice, times the bytes;
    // the window still shows the rate chosen.
    chooseBaudRate(w, QStringLiteral("2400"));
    QCOMPARE(m_port->Settings(), QStringLiteral("2400,n,8,1"));

    chooseRemote(w);
    StepRecord step;
    step.checked = true;
    step.label = QStringLiteral("Step1");
    step.values = {"On", "Low", "100.00", "50.00", "0.00", "360.00", "0.05"};
    w.livData->add(1, step);
    chooseRunMode(w, {});
    w.cmdRunStop_Click();
    QTRY_COMPARE_WITH_TIMEOUT(w.statusText(), QStringLiteral("Now Stop"), 10000);
    QTRY_COMPARE(receivedLines(*m_link), m_written);
    QCOMPARE(m_written.last(), QStringLiteral(":OUTP OFF\r"));
    QCOMPARE(m_link->model().errorCount(), 0);
    QVERIFY(m_fake.messages.shown.isEmpty());
}

void TcpSourceTest::serverDropsTheConnection_runEndsWithThePortMessage()
{
    frmControl &w = *m_window;
    chooseRemote(w);
    StepRecord step;
    step.checked = true;
    step.label = QStringLiteral("Step1");
    step.values = {"On", "Low", "100.00", "50.00", "0.00", "360.00", "0.50"};
    w.livData->add(1, step);
    chooseRunMode(w, RunChoice{RunChoice::Mode::Continuous, 1});
    w.cmdRunStop_Click();
    QVERIFY(isRunning(w));
    auto &cable = static_cast<TcpCable &>(m_link->cable());
    QTRY_COMPARE(cable.connectionCount(), 1);

    cable.dropConnections();
    QTRY_VERIFY(!isRunning(w));
    QTest::qWait(50);
    QCOMPARE(w.statusText(), QStringLiteral("Now Stop"));
    QCOMPARE(m_fake.messages.shown.size(), 1);
    QCOMPARE(m_fake.messages.shown[0].text,
             QStringLiteral("COM 1 : not available. Change the CommPort property to another port."));
    QVERIFY(!m_port->PortOpen());
}

QTEST_MAIN(TcpSourceTest)
#include "test_tcp_source.moc"
