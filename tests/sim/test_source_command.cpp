// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The virtual source's command set: what each header does to the state, and
// the lines it refuses without changing anything.
#include "sim/source/SourceCommand.h"

#include <QTest>

Q_DECLARE_METATYPE(SourceState)

namespace {
// A state where every setting differs from the power-up one.
SourceState busyState()
{
    SourceState s;
    s.remote = true;
    s.relay = true;
    s.output = true;
    s.range = QStringLiteral("High");
    s.volts = 230.0;
    s.hertz = 50.0;
    s.startPhase = 90.0;
    s.stopPhase = 270.0;
    return s;
}
} // namespace

class SourceCommandTest : public QObject
{
    Q_OBJECT
private slots:
    void understoodLines_data();
    void understoodLines();
    void refusedLinesChangeNothing_data();
    void refusedLinesChangeNothing();
    void resetKeepsRemoteAndRestoresTheRest();
    void terminalsCarryVoltageOnlyWithRelayAndOutput();
};

void SourceCommandTest::understoodLines_data()
{
    QTest::addColumn<SourceState>("before");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<SourceState>("after");

    const SourceState idle;
    const auto with = [](SourceState s, auto change) {
        change(s);
        return s;
    };
    // Every header as the program sends it.
    QTest::newRow("remote") << idle << QByteArray(":SYST:REM ")
                            << with(idle, [](SourceState &s) { s.remote = true; });
    QTest::newRow("local") << busyState() << QByteArray(":SYST:LOC ")
                           << with(busyState(), [](SourceState &s) { s.remote = false; });
    QTest::newRow("relay on") << idle << QByteArray(":OUTP ON")
                              << with(idle, [](SourceState &s) { s.relay = true; });
    QTest::newRow("relay off") << busyState() << QByteArray(":OUTP OFF")
                               << with(busyState(), [](SourceState &s) { s.relay = false; });
    QTest::newRow("turn On, table case")
        << idle << QByteArray(":SOUR:TURN On") << with(idle, [](SourceState &s) { s.output = true; });
    QTest::newRow("turn OFF") << busyState() << QByteArray(":SOUR:TURN OFF")
                              << with(busyState(), [](SourceState &s) { s.output = false; });
    QTest::newRow("turn Off, table case") << busyState() << QByteArray(":SOUR:TURN Off")
                                          << with(busyState(), [](SourceState &s) { s.output = false; });
    QTest::newRow("range Low") << idle << QByteArray(":SOUR:RANG Low")
                               << with(idle, [](SourceState &s) { s.range = QStringLiteral("Low"); });
    QTest::newRow("range lower case") << idle << QByteArray(":SOUR:RANG high")
                                      << with(idle, [](SourceState &s) { s.range = QStringLiteral("High"); });
    QTest::newRow("range Auto") << busyState() << QByteArray(":SOUR:RANG Auto")
                                << with(busyState(), [](SourceState &s) { s.range = QStringLiteral("Auto"); });
    QTest::newRow("volts") << idle << QByteArray(":SOUR:VOLT 110.00")
                           << with(idle, [](SourceState &s) { s.volts = 110.0; });
    QTest::newRow("volts, three digits")
        << idle << QByteArray(":SOUR:VOLT 110") << with(idle, [](SourceState &s) { s.volts = 110.0; });
    QTest::newRow("volts 0") << busyState() << QByteArray(":SOUR:VOLT 0.00")
                             << with(busyState(), [](SourceState &s) { s.volts = 0.0; });
    QTest::newRow("volts at the limit")
        << idle << QByteArray(":SOUR:VOLT 310.00") << with(idle, [](SourceState &s) { s.volts = 310.0; });
    QTest::newRow("volts, exponent") << idle << QByteArray(":SOUR:VOLT 1.1E2")
                                     << with(idle, [](SourceState &s) { s.volts = 110.0; });
    QTest::newRow("frequency") << idle << QByteArray(":SOUR:FREQ 50.00")
                               << with(idle, [](SourceState &s) { s.hertz = 50.0; });
    QTest::newRow("frequency low limit")
        << idle << QByteArray(":SOUR:FREQ 40") << with(idle, [](SourceState &s) { s.hertz = 40.0; });
    QTest::newRow("frequency high limit")
        << idle << QByteArray(":SOUR:FREQ 500.00") << with(idle, [](SourceState &s) { s.hertz = 500.0; });
    QTest::newRow("start phase") << idle << QByteArray(":SOUR:STPH 90.00")
                                 << with(idle, [](SourceState &s) { s.startPhase = 90.0; });
    QTest::newRow("stop phase") << idle << QByteArray(":SOUR:SPPH 180.00")
                                << with(idle, [](SourceState &s) { s.stopPhase = 180.0; });
    QTest::newRow("phase 0 and 360 are in")
        << idle << QByteArray(":SOUR:SPPH 0") << with(idle, [](SourceState &s) { s.stopPhase = 0.0; });
    // The instrument's own tolerance.
    QTest::newRow("header case") << idle << QByteArray(":sour:volt 12.5")
                                 << with(idle, [](SourceState &s) { s.volts = 12.5; });
    QTest::newRow("remote without blank")
        << idle << QByteArray(":SYST:REM") << with(idle, [](SourceState &s) { s.remote = true; });
    QTest::newRow("relay as 1") << idle << QByteArray(":OUTP 1")
                                << with(idle, [](SourceState &s) { s.relay = true; });
    QTest::newRow("extra blanks") << idle << QByteArray(":SOUR:FREQ   60.00  ")
                                  << with(idle, [](SourceState &s) { s.hertz = 60.0; });
    QTest::newRow("empty line") << busyState() << QByteArray() << busyState();
}

void SourceCommandTest::understoodLines()
{
    QFETCH(SourceState, before);
    QFETCH(QByteArray, line);
    QFETCH(SourceState, after);
    SourceState state = before;
    QCOMPARE(executeLine(line, state), QString());
    QVERIFY(state == after);
}

void SourceCommandTest::refusedLinesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("error");

    QTest::newRow("unknown header") << QByteArray(":SOUR:CURR 5") << "unknown header";
    QTest::newRow("header run together") << QByteArray(":SOUR:VOLT110") << "unknown header";
    QTest::newRow("8-bit header") << QByteArray(":SOUR:V\xd6LT 1") << "unknown header";
    QTest::newRow("lone argument") << QByteArray("230.00") << "unknown header";
    QTest::newRow("volts empty") << QByteArray(":SOUR:VOLT ") << "missing value";
    QTest::newRow("frequency empty") << QByteArray(":SOUR:FREQ ") << "missing value";
    QTest::newRow("turn empty") << QByteArray(":SOUR:TURN ") << "missing value";
    QTest::newRow("range empty") << QByteArray(":SOUR:RANG ") << "missing value";
    QTest::newRow("volts text") << QByteArray(":SOUR:VOLT abc") << "not a number";
    QTest::newRow("volts trailing text") << QByteArray(":SOUR:VOLT 12abc") << "not a number";
    QTest::newRow("volts decimal comma") << QByteArray(":SOUR:VOLT 1,5") << "not a number";
    QTest::newRow("volts inf") << QByteArray(":SOUR:VOLT inf") << "not a number";
    QTest::newRow("phase text") << QByteArray(":SOUR:STPH x") << "not a number";
    QTest::newRow("volts above 310") << QByteArray(":SOUR:VOLT 310.01") << "voltage above 310 V";
    QTest::newRow("volts far above") << QByteArray(":SOUR:VOLT 1e9") << "voltage above 310 V";
    QTest::newRow("volts negative") << QByteArray(":SOUR:VOLT -1") << "negative voltage";
    QTest::newRow("frequency below 40") << QByteArray(":SOUR:FREQ 39.99") << "frequency outside 40 to 500 Hz";
    QTest::newRow("frequency above 500") << QByteArray(":SOUR:FREQ 500.01") << "frequency outside 40 to 500 Hz";
    QTest::newRow("start phase above 360") << QByteArray(":SOUR:STPH 361") << "phase outside 0 to 360 degrees";
    QTest::newRow("stop phase negative") << QByteArray(":SOUR:SPPH -0.5") << "phase outside 0 to 360 degrees";
    QTest::newRow("turn maybe") << QByteArray(":SOUR:TURN maybe") << "not ON or OFF";
    QTest::newRow("relay 2") << QByteArray(":OUTP 2") << "not ON or OFF";
    QTest::newRow("range medium") << QByteArray(":SOUR:RANG Medium") << "range not AUTO, LOW or HIGH";
    QTest::newRow("reset with argument") << QByteArray("*RST now") << "unexpected argument";
    QTest::newRow("local with argument") << QByteArray(":SYST:LOC 1") << "unexpected argument";
}

void SourceCommandTest::refusedLinesChangeNothing()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, error);
    for (const SourceState &before : {SourceState{}, busyState()}) {
        SourceState state = before;
        QCOMPARE(executeLine(line, state), error);
        QVERIFY(state == before);
    }
}

void SourceCommandTest::resetKeepsRemoteAndRestoresTheRest()
{
    SourceState state = busyState();
    QCOMPARE(executeLine("*RST", state), QString());
    SourceState expected;
    expected.remote = true;
    QVERIFY(state == expected);

    state.remote = false;
    QCOMPARE(executeLine("*rst", state), QString());
    QVERIFY(!state.remote);
}

void SourceCommandTest::terminalsCarryVoltageOnlyWithRelayAndOutput()
{
    SourceState s = busyState();
    QCOMPARE(s.outputVolts(), 230.0);
    s.output = false;
    QCOMPARE(s.outputVolts(), 0.0);
    s.output = true;
    s.relay = false;
    QCOMPARE(s.outputVolts(), 0.0);
}

QTEST_GUILESS_MAIN(SourceCommandTest)
#include "test_source_command.moc"
