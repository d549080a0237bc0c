// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The line sets the pace: a tick that finds the last step's commands still
// on their way holds the step instead of queueing the next one; STOP and
// closing drop what is not yet on the line and end a cut command first.
#include "RunFixture.h"

#include <QTest>

class LinePaceTest : public QObject
{
    Q_OBJECT
private slots:
    void tickWaitsForTheLine();
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
    w->cmdRunStop_Click();
    settle(*w);
    QCOMPARE(moment(fake), RunStart + stepWire(BothPhases) + QStringLiteral("@10"));

    // Step 1's commands need 84 ms more, then 3: nothing is sent meanwhile.
    for (int pending : {84, 3}) {
        fake.port.pendingMs = pending;
        QVERIFY(fake.timer.tick());
        QCOMPARE(moment(fake), QStringLiteral("@%1").arg(pending));
    }
    fake.port.pendingMs = 0;
    QVERIFY(fake.timer.tick());
    QCOMPARE(moment(fake), stepWire(QString(), QStringLiteral("220.00")) + QStringLiteral("@10"));
    // The held step says so in its row's tooltip, not in the status line.
    const QString note
        = w->ui().livData->steps().data(w->ui().livData->steps().index(0, 3), Qt::ToolTipRole).toString();
    QCOMPARE(note, stretchedStepNote(97, 10));
    QVERIFY(w->ui().livData->steps().note(2).isEmpty());
    QVERIFY(w->statusText().startsWith(QStringLiteral("Now Running >> Step2: ( 2 / 2 ) ")));

    // A wait before the rewind: the timer goes back to the row's period.
    fake.port.pendingMs = 50;
    QVERIFY(fake.timer.tick());
    QCOMPARE(moment(fake), QStringLiteral("@50"));
    fake.port.pendingMs = 0;
    QVERIFY(fake.timer.tick());
    QCOMPARE(moment(fake), QStringLiteral("@10"));
    QVERIFY(fake.timer.tick());
    QCOMPARE(moment(fake), RunEnd + QStringLiteral("@off"));
    QCOMPARE(w->session().pace().stretchedCount, 2);

    // The next RUN starts without remarks.
    w->cmdRunStop_Click();
    settle(*w);
    QVERIFY(w->ui().livData->steps().note(1).isEmpty());
    QCOMPARE(w->session().pace().stretchedCount, 0);
}

void LinePaceTest::endingDropsWhatIsNotOnTheLine_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("pendingMs");
    QTest::addColumn<QStringList>("sent"); // after the discard
    const QStringList off = {":SOUR:TURN OFF\r", ":OUTP OFF\r"};
    const QStringList close = off + QStringList{":SYST:LOC \r"};
    QTest::newRow("STOP, line busy") << "stop" << 40 << QStringList{"\r"} + off;
    QTest::newRow("STOP, line idle") << "stop" << 0 << off;
    QTest::newRow("close, line busy") << "close" << 40 << QStringList{"\r"} + close;
    QTest::newRow("signal, line idle") << "signal" << 0 << close;
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
    settle(*w);
    fake.port.clearEvents();
    fake.port.pendingMs = pendingMs;
    if (how == QLatin1String("stop")) {
        w->cmdRunStop_Click();
        settle(*w);
    } else if (how == QLatin1String("close"))
        QVERIFY(closeAndSettle(*w));
    else
        w->closeOnSignal();
    QCOMPARE(fake.port.events.first().kind, FakeSerialPort::Kind::Discard);
    QCOMPARE(fake.port.count(FakeSerialPort::Kind::Discard), 1);
    QCOMPARE(fake.port.writes(), sent);
}

QTEST_MAIN(LinePaceTest)
#include "test_line_pace.moc"
