// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// RUN refuses a program whose checked steps would send more than one command
// each, drive the source beyond what the editor allows, or send a value that
// is no number as written (it goes out as it stands, whatever it reads as);
// texts that the program's own files hold go out unchanged. The session's refusal; the
// window shows it in a box (tests/gui/shell/test_run_guards.cpp).
#include "support/SessionRig.h"

#include <QTest>

class RunValueCheckTest : public QObject
{
    Q_OBJECT
private slots:
    void run_data();
    void run();
};

void RunValueCheckTest::run_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result"); // the message after "Step2 (row 2): the ", or a line sent
    const QString unsent = QStringLiteral(", which cannot be sent to the instrument.");
    QTest::newRow("NUL") << int(StepRecord::Voltage) << QStringLiteral("11") + QChar(0) + "0.00"
                         << "voltage holds the control character 0" + unsent;
    QTest::newRow("second command") << int(StepRecord::Voltage) << "110.00;:OUTP ON;*RST"
                                    << "voltage holds \";\"" + unsent;
    QTest::newRow("ESC") << int(StepRecord::Range) << "Auto\x1b"
                         << "range holds the control character 27" + unsent;
    QTest::newRow("beyond Latin-1") << int(StepRecord::Output) << QString::fromUtf8("On\u03a9")
                                    << QString::fromUtf8("output holds \"\u03a9\"") + unsent;
    // A header or a common command inside an argument: the voltage still
    // reads as 110 and would pass its range.
    QTest::newRow("header in output") << int(StepRecord::Output) << "Off:OUTP ON"
                                      << "output holds \":\"" + unsent;
    QTest::newRow("header in voltage") << int(StepRecord::Voltage) << "110 :SOUR:TURN On"
                                       << "voltage holds \":\"" + unsent;
    QTest::newRow("common command") << int(StepRecord::StopPhase) << "360.00*RST"
                                    << "stop phase holds \"*\"" + unsent;
    QTest::newRow("voltage") << int(StepRecord::Voltage) << "99999"
                             << "voltage \"99999\" is outside 0 to 310.";
    QTest::newRow("frequency") << int(StepRecord::Frequency) << "1.5"
                               << "frequency \"1.5\" is outside 40 to 500.";
    QTest::newRow("start phase") << int(StepRecord::StartPhase) << "360.01"
                                 << "start phase \"360.01\" is outside 0 to 360.";
    QTest::newRow("stop phase") << int(StepRecord::StopPhase) << "-1"
                                << "stop phase \"-1\" is outside 0 to 360.";
    // Read leniently each is a value in range; the instrument would get the
    // text itself, and leave the source where it was.
    const QString notNumber = QStringLiteral(
        " is not a number as the instrument reads one (digits, a point, an exponent).");
    QTest::newRow("decimal comma") << int(StepRecord::Voltage) << "1,5"
                                   << "voltage \"1,5\"" + notNumber;
    QTest::newRow("empty voltage") << int(StepRecord::Voltage) << ""
                                   << "voltage \"\"" + notNumber;
    QTest::newRow("blank inside") << int(StepRecord::Voltage) << "2 30"
                                  << "voltage \"2 30\"" + notNumber;
    QTest::newRow("hexadecimal") << int(StepRecord::Voltage) << "&H64"
                                 << "voltage \"&H64\"" + notNumber;
    QTest::newRow("exponent without digits") << int(StepRecord::Voltage) << "1e"
                                             << "voltage \"1e\"" + notNumber;
    QTest::newRow("exponent") << int(StepRecord::Voltage) << "1.1E2"
                              << ":SOUR:VOLT 1.1E2\r";
    QTest::newRow("blanks around") << int(StepRecord::Voltage) << " 110 "
                                   << ":SOUR:VOLT  110 \r";
    QTest::newRow("lower case") << int(StepRecord::Range) << "low"
                                << ":SOUR:RANG low\r";
    // The instrument rejects any other word and leaves the source as it was.
    QTest::newRow("output word") << int(StepRecord::Output) << "banana"
                                 << "output \"banana\" is not On or Off.";
    QTest::newRow("output zero for O") << int(StepRecord::Output) << "0ff"
                                       << "output \"0ff\" is not On or Off.";
    QTest::newRow("empty output") << int(StepRecord::Output) << ""
                                  << "output \"\" is not On or Off.";
    QTest::newRow("range word") << int(StepRecord::Range) << "xyz"
                                << "range \"xyz\" is not Auto, Low or High.";
    QTest::newRow("typed upper case") << int(StepRecord::Output) << "ON"
                                      << ":SOUR:TURN ON\r";
    QTest::newRow("unit after the number") << int(StepRecord::Voltage) << "110 V"
                                           << "voltage \"110 V\"" + notNumber;
    // The dwell is read leniently too, and would time the step as it reads.
    QTest::newRow("dwell with a decimal comma")
        << int(StepRecord::WorkTime) << "0,5"
        << "dwell time \"0,5\" is not a number of seconds as written (digits, a point): it would be read as 0 s.";
    QTest::newRow("dwell, blanks around") << int(StepRecord::WorkTime) << " 0.50 "
                                          << ":SOUR:VOLT 110.00\r";
}

void RunValueCheckTest::run()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, result);
    SessionRig rig;
    FakePlatform &fake = rig.fake;
    std::vector<StepRecord> steps = SessionRig::rows({StepSpec{}, StepSpec{}});
    steps[1].subItem(field) = text;
    const InstrumentSession::Refusal refused = rig.start(steps);
    if (result.startsWith(':')) {
        QVERIFY(refused.message.isEmpty());
        QVERIFY(fake.timer.tick());
        QVERIFY2(fake.port.writes().contains(result), qPrintable(fake.port.writes().join('|')));
        return;
    }
    QVERIFY(fake.port.events.isEmpty());
    QCOMPARE(refused.message, "Step2 (row 2): the " + result + " The program was not run.");
    // Unchecked, the step is never sent: the run goes ahead.
    steps[1].checked = false;
    rig.start(steps);
    QVERIFY(rig.session.running());
}

QTEST_MAIN(RunValueCheckTest)
#include "test_run_value_check.moc"
