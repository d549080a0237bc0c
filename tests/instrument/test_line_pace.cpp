// The line sets the pace: a tick that finds the last step's commands still
// on their way holds the step instead of queueing the next one; STOP and
// closing drop what is not yet on the line and end a cut command first.
#include "RunFixture.h"

#include "instrument/StepPace.h"
#include "shell/Texts.h"

#include <QPushButton>
#include <QTest>

using Kind = FakeSerialPort::Kind;

class LinePaceTest : public QObject
{
    Q_OBJECT
private slots:
    void tickWaitsForTheLine();
    void rewindAfterAWaitKeepsTheRowsPeriod();
    void endingDropsWhatIsNotOnTheLine_data();
    void endingDropsWhatIsNotOnTheLine();
};

void LinePaceTest::tickWaitsForTheLine()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    StepSpec a, b;
    a.dwell = b.dwell = QStringLiteral("0.01");
    b.voltage = QStringLiteral("220.00");
    setSteps(*w, {a, b});
    chooseRunMode(*w, QStringLiteral("Continuous"));
    w->cmdRunStop_Click();
    QCOMPARE(moment(fake), RunStart + stepWire(BothPhases) + QStringLiteral("@10"));

    // Step 1's commands need 84 ms more, then 3: nothing is sent meanwhile.
    fake.port.pendingMs = 84;
    QVERIFY(fake.timer.tick());
    QCOMPARE(moment(fake), QStringLiteral("@84"));
    fake.port.pendingMs = 3;
    QVERIFY(fake.timer.tick());
    QCOMPARE(moment(fake), QStringLiteral("@3"));
    fake.port.pendingMs = 0;
    QVERIFY(fake.timer.tick());
    QCOMPARE(moment(fake), stepWire(QString(), QStringLiteral("220.00")) + QStringLiteral("@10"));

    // The held step says so in its row, not in the status line.
    QCOMPARE(w->livData->steps().note(1), stretchedStepNote(97, 10));
    QVERIFY(w->livData->steps().note(2).isEmpty());
    QCOMPARE(w->livData->steps().data(w->livData->steps().index(0, 3), Qt::ToolTipRole).toString(),
             stretchedStepNote(97, 10));
    QVERIFY(w->statusText().startsWith(QStringLiteral("Now Running >> Step2: ( 2 / 2 ) ")));
    QCOMPARE(w->Pace.stretchedCount, 1);

    // The next RUN starts without remarks.
    w->cmdRunStop_Click();
    w->cmdRunStop_Click();
    QVERIFY(w->livData->steps().note(1).isEmpty());
    QCOMPARE(w->Pace.stretchedCount, 0);
}

void LinePaceTest::rewindAfterAWaitKeepsTheRowsPeriod()
{
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    StepSpec a;
    a.dwell = QStringLiteral("0.02");
    setSteps(*w, {a});
    w->cmdRunStop_Click();
    fake.port.clearEvents();
    fake.port.pendingMs = 50;
    QVERIFY(fake.timer.tick());
    fake.port.pendingMs = 0;
    QVERIFY(fake.timer.tick()); // the rewind: nothing sent, the row's period again
    QCOMPARE(moment(fake), QStringLiteral("@20"));
    QVERIFY(fake.timer.tick()); // the end of the Single run
    QCOMPARE(moment(fake), RunEnd + QStringLiteral("@off"));
    QCOMPARE(w->Pace.stretchedCount, 1);
}

void LinePaceTest::endingDropsWhatIsNotOnTheLine_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("pendingMs");
    QTest::addColumn<QStringList>("sent"); // after the discard, when there is one
    const QStringList off = {":SOUR:TURN OFF\r", ":OUTP OFF\r"};
    const QStringList close = off + QStringList{":SYST:LOC \r"};
    QTest::newRow("STOP, line busy") << "stop" << 40 << QStringList{"\r"} + off;
    QTest::newRow("STOP, line idle") << "stop" << 0 << off;
    QTest::newRow("close, line busy") << "close" << 40 << QStringList{"\r"} + close;
    QTest::newRow("close, line idle") << "close" << 0 << close;
    QTest::newRow("signal, line busy") << "signal" << 40 << QStringList{"\r"} + close;
}

void LinePaceTest::endingDropsWhatIsNotOnTheLine()
{
    QFETCH(QString, how);
    QFETCH(int, pendingMs);
    QFETCH(QStringList, sent);
    FakePlatform fake;
    auto w = startedWindow(fake, true);
    w->show();
    setSteps(*w, {StepSpec{}});
    w->cmdRunStop_Click();
    fake.port.clearEvents();
    fake.port.pendingMs = pendingMs;
    if (how == QLatin1String("stop"))
        w->cmdRunStop_Click();
    else if (how == QLatin1String("close"))
        QVERIFY(w->close());
    else
        w->closeOnSignal();

    // The queue goes first, then (a lone CR and) the off commands.
    QVERIFY(!fake.port.events.isEmpty());
    QCOMPARE(fake.port.events.first().kind, Kind::Discard);
    QCOMPARE(fake.port.writes(), sent);
    QCOMPARE(fake.port.count(Kind::Discard), 1);
    QVERIFY(!fake.timer.Enabled());
}

QTEST_MAIN(LinePaceTest)
#include "test_line_pace.moc"
