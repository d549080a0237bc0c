// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The front panel and the cable under it: what the program's serial adapter
// writes shows up on the panel, refused lines in red, and the line settings
// are the ones the program set.
#include "domain/ports/PortMap.h"
#include "domain/ports/QtSerialPort.h"
#include "sim/demo/SourceChart.h"
#include "sim/demo/SourcePanel.h"
#include "sim/source/SourceLink.h"

#include <QListWidget>
#include <QTest>

class SourcePanelTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void panelShowsWhatArrived();
    void refusedLinesAreRedAndCounted();
    void lineSettingsAreReadFromTheDevice_data();
    void lineSettingsAreReadFromTheDevice();
    void cableSurvivesThePortClosing();
    void stretchedStepIsLogged();

private:
    double m_clock = 0.0;
    std::unique_ptr<SourceLink> m_link;
    std::unique_ptr<QtSerialPort> m_port;
};

void SourcePanelTest::init()
{
    m_clock = 0.0;
    m_link = std::make_unique<SourceLink>([this] { return m_clock; });
    QVERIFY2(m_link->isOpen(), qPrintable(m_link->errorText()));
    PortMap ports;
    ports.setDevice(1, m_link->farEndPath());
    m_port = std::make_unique<QtSerialPort>();
    m_port->setPortMap(ports);
    QVERIFY(m_port->setPortOpen(true));
}

void SourcePanelTest::cleanup()
{
    m_port.reset();
    m_link.reset();
}

void SourcePanelTest::panelShowsWhatArrived()
{
    SourcePanel panel(*m_link);
    QCOMPARE(panel.shown("mode"), QStringLiteral("LOCAL"));
    QVERIFY(m_port->setOutput(":SYST:REM \r:OUTP ON\r:SOUR:FREQ 50.00\r:SOUR:RANG low\r"
                              ":SOUR:VOLT 230.00\r:SOUR:STPH 90.00\r:SOUR:SPPH 270\r"));
    m_link->poll();
    // Written at 0 ms; nothing has arrived yet.
    QCOMPARE(panel.log()->count(), 0);
    QCOMPARE(panel.shown("mode"), QStringLiteral("LOCAL"));

    m_clock = 1000.0;
    m_link->poll();
    QCOMPARE(panel.log()->count(), 7);
    QCOMPARE(panel.shown("mode"), QStringLiteral("REMOTE"));
    QCOMPARE(panel.shown("relay"), QStringLiteral("ON"));
    QCOMPARE(panel.shown("output"), QStringLiteral("OFF"));
    QCOMPARE(panel.shown("range"), QStringLiteral("Low"));
    QCOMPARE(panel.shown("volts"), QStringLiteral("230.00 V"));
    QCOMPARE(panel.shown("hertz"), QStringLiteral("50.00 Hz"));
    QCOMPARE(panel.shown("startPhase"), QStringLiteral("90.00 deg"));
    QCOMPARE(panel.shown("stopPhase"), QStringLiteral("270.00 deg"));
    QCOMPARE(panel.shown("terminals"), QStringLiteral("0 V (output off)"));
    QCOMPARE(panel.shown("line"), QStringLiteral("9600,8,N,1  (1.04 ms a character)"));
    QCOMPARE(panel.log()->item(0)->text(), QStringLiteral("      11.5  :SYST:REM "));

    m_port->setOutput(":SOUR:TURN On\r");
    m_clock = 2000.0;
    m_link->poll();
    m_clock = 3000.0;
    m_link->poll();
    QCOMPARE(panel.shown("terminals"), QStringLiteral("230.00 V  50.00 Hz"));
    // The chart steps up to 230 V when the output came on (2.0146 s); it
    // draws nothing in a build without Qt Charts.
    const QList<QPointF> volts = panel.chart()->voltsPoints();
    if (!volts.isEmpty()) {
        QCOMPARE(volts.last().y(), 230.0);
        QVERIFY(std::any_of(volts.begin(), volts.end(), [](const QPointF &p) {
            return p.y() == 0.0 && qAbs(p.x() - (2000.0 + 14 * 10000.0 / 9600) / 1000.0) < 1e-9;
        }));
    }
}

void SourcePanelTest::refusedLinesAreRedAndCounted()
{
    SourcePanel panel(*m_link);
    QVERIFY(m_port->setOutput(":SOUR:VOLT 230\r:SOUR:VOLT 999\r:SOUR:NOPE\r"));
    m_link->finish();
    QCOMPARE(panel.log()->count(), 3);
    QCOMPARE(panel.shown("errors"), QStringLiteral("2"));
    QCOMPARE(panel.shown("volts"), QStringLiteral("230.00 V"));
    QCOMPARE(panel.log()->item(0)->foreground().color(), panel.palette().color(QPalette::Text));
    QCOMPARE(panel.log()->item(1)->foreground().color(), QColor(Qt::red));
    QVERIFY(panel.log()->item(1)->text().endsWith(
        QStringLiteral(":SOUR:VOLT 999   <- error: voltage above 310 V")));
    QVERIFY(panel.log()->item(2)->text().endsWith(QStringLiteral("<- error: unknown header")));
}

void SourcePanelTest::lineSettingsAreReadFromTheDevice_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("seen");
    QTest::newRow("1200") << "1200,n,8,1"
                          << "1200,8,N,1";
    QTest::newRow("2400") << "2400,n,8,1"
                          << "2400,8,N,1";
    QTest::newRow("4800") << "4800,n,8,1"
                          << "4800,8,N,1";
    QTest::newRow("9600") << "9600,n,8,1"
                          << "9600,8,N,1";
}

void SourcePanelTest::lineSettingsAreReadFromTheDevice()
{
    QFETCH(QString, settings);
    QFETCH(QString, seen);
    QVERIFY(m_port->setSettings(settings));
    QVERIFY(m_port->setOutput("*RST\r"));
    m_link->finish();
    QCOMPARE(lineSettingsText(m_link->model().line()), seen);
    QCOMPARE(m_link->model().transcript().back().ms, 5 * characterMs(m_link->model().line()));
}

void SourcePanelTest::cableSurvivesThePortClosing()
{
    QVERIFY(m_port->setOutput(":SYST:LOC \r"));
    QVERIFY(m_port->setPortOpen(false));
    m_link->finish();
    QVERIFY(m_port->setPortOpen(true));
    QVERIFY(m_port->setOutput(":SYST:REM \r"));
    m_link->finish();
    const auto &t = m_link->model().transcript();
    QCOMPARE(t.size(), size_t(2));
    QCOMPARE(t.back().text, QByteArray(":SYST:REM "));
}

void SourcePanelTest::stretchedStepIsLogged()
{
    SourcePanel panel(*m_link);
    m_link->setStepProbe([] { return StepContext{QStringLiteral("Step7"), 10}; });
    QVERIFY(m_port->setOutput(":SOUR:FREQ 50.00\r:SOUR:RANG Auto\r"));
    m_link->finish();
    QCOMPARE(m_link->stretchedSteps().size(), 1);
    QCOMPARE(panel.shown("stretched"),
             QStringLiteral("1 (last: Step7: 34 ms of commands at 9600 baud, dwell 10 ms)"));
    QVERIFY(panel.log()->item(0)->text().endsWith(
        QStringLiteral("-- stretched: Step7: 34 ms of commands at 9600 baud, dwell 10 ms")));
}

void SourcePanelTest::initTestCase()
{
#ifndef Q_OS_UNIX
    QSKIP("the virtual source's cable is a POSIX pseudo-terminal");
#endif
}

QTEST_MAIN(SourcePanelTest)
#include "test_source_panel.moc"
