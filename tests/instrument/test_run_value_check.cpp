// RUN refuses a program whose checked steps would send more than their one
// command each, or drive the source beyond what the editor allows; texts
// that the program's own files hold go out unchanged.
#include "RunFixture.h"

#include <QPushButton>
#include <QTest>

class RunValueCheckTest : public QObject
{
    Q_OBJECT
private slots:
    void unsafeValue_refusesRun_data();
    void unsafeValue_refusesRun();
    void fileTexts_goOutUnchanged_data();
    void fileTexts_goOutUnchanged();
};

void RunValueCheckTest::unsafeValue_refusesRun_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString at = QStringLiteral("Step2 (row 2): the ");
    const QString unsent = QStringLiteral(", which cannot be sent to the instrument.");
    QTest::newRow("NUL") << int(StepRecord::Voltage) << QStringLiteral("11") + QChar(0) + "0.00"
                         << at + "voltage holds the control character 0" + unsent;
    QTest::newRow("second command") << int(StepRecord::Voltage) << "110.00;:OUTP ON;*RST"
                                    << at + "voltage holds \";\"" + unsent;
    QTest::newRow("ESC") << int(StepRecord::Range) << "Auto\x1b"
                         << at + "range holds the control character 27" + unsent;
    QTest::newRow("beyond Latin-1") << int(StepRecord::Output) << QString::fromUtf8("On\u03a9")
                                    << at + QString::fromUtf8("output holds \"\u03a9\"") + unsent;
    QTest::newRow("voltage") << int(StepRecord::Voltage) << "99999"
                             << at + "voltage \"99999\" is outside 0 to 310.";
    QTest::newRow("frequency") << int(StepRecord::Frequency) << "1,5"
                               << at + "frequency \"1,5\" is outside 40 to 500.";
    QTest::newRow("start phase") << int(StepRecord::StartPhase) << "360.01"
                                 << at + "start phase \"360.01\" is outside 0 to 360.";
    QTest::newRow("stop phase") << int(StepRecord::StopPhase) << "-1"
                                << at + "stop phase \"-1\" is outside 0 to 360.";
}

void RunValueCheckTest::unsafeValue_refusesRun()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}, StepSpec{}});
    w->livData->steps().setSubItem(2, field, text);
    w->cmdRunStop->click();
    QVERIFY(fake.port.events.isEmpty());
    QCOMPARE(w->cmdRunStop->text(), QStringLiteral("&RUN"));
    QCOMPARE(fake.messages.shown.size(), 1);
    QCOMPARE(fake.messages.shown.first().text, message + " The program was not run.");
    QCOMPARE(fake.messages.shown.first().icon, MessageBox::Icon::Exclamation);

    // Unchecked, the step is never sent: the run goes ahead.
    w->livData->steps().setChecked(2, false);
    w->cmdRunStop->click();
    QCOMPARE(w->cmdRunStop->text(), QStringLiteral("&STOP"));
}

void RunValueCheckTest::fileTexts_goOutUnchanged_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("command");
    QTest::newRow("decimal comma") << int(StepRecord::Voltage) << "1,5" << ":SOUR:VOLT 1,5\r";
    QTest::newRow("lower case") << int(StepRecord::Range) << "low" << ":SOUR:RANG low\r";
    QTest::newRow("Latin-1") << int(StepRecord::Output) << QString::fromUtf8("\u00d6n")
                             << QString::fromUtf8(":SOUR:TURN \u00d6n\r");
}

void RunValueCheckTest::fileTexts_goOutUnchanged()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, command);
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    setSteps(*w, {StepSpec{}});
    w->livData->steps().setSubItem(1, field, text);
    w->cmdRunStop->click();
    QVERIFY(fake.messages.shown.isEmpty());
    QVERIFY2(fake.port.writes().contains(command), qPrintable(fake.port.writes().join('|')));
}

QTEST_MAIN(RunValueCheckTest)
#include "test_run_value_check.moc"
