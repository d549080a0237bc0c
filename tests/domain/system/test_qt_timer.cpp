// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The precise timer: how it splits a wait, where the next tick is due when
// the handler re-arms it (on a made-up clock), and real ticks that never
// come before their period (their lateness is measured by the benchmark).
#include "domain/system/QtTimer.h"

#include <QElapsedTimer>
#include <QTest>

namespace {
constexpr qint64 Ms = 1000 * 1000;
}

class QtTimerTest : public QObject
{
    Q_OBJECT
private slots:
    void nextWait_data();
    void nextWait();
    void nextWait_neverOvershootsTheDeadline();
    void fakeClock_aRunKeepsItsTime();
    void zeroPeriodNeverTicks();
    void ticksRepeat_neverEarly_stopWhenDisabled();
    void newPeriodCountsFromWhenItIsSet();
    void waitLongerThanOnePiece();
};

void QtTimerTest::nextWait_data()
{
    QTest::addColumn<qint64>("leftNs");
    QTest::addColumn<int>("waitMs");
    QTest::newRow("fresh 10 ms period") << 10 * Ms - 5000 << 9;
    QTest::newRow("exactly 10 ms") << 10 * Ms << 9;
    QTest::newRow("large fraction") << 9 * Ms + Ms / 2 << 8;
    QTest::newRow("rest slept on the thread") << QtTimer::FinishNs << 0;
    QTest::newRow("just above the rest") << QtTimer::FinishNs + 1 << 1;
    QTest::newRow("last stretch in one piece") << 30 * Ms << 29;
    QTest::newRow("just longer: stop 15 ms short") << 31 * Ms << 16;
    QTest::newRow("one second and a bit") << 1015 * Ms + Ms / 2 << 1000;
    QTest::newRow("longest period: one-second pieces") << 65535 * Ms << 1000;
}

void QtTimerTest::nextWait()
{
    QFETCH(qint64, leftNs);
    QFETCH(int, waitMs);
    QCOMPARE(QtTimer::nextWaitMs(leftNs), waitMs);
}

void QtTimerTest::nextWait_neverOvershootsTheDeadline()
{
    // A wait of up to a second may be stretched by about 0.1 % by the
    // kernel, and the event loop may wake up to a millisecond after a wait
    // ends: every wait must end early enough for both, and the rest left
    // to sleep on the thread must stay under two milliseconds.
    for (qint64 left = 1000; left <= 70000 * Ms; left = left * 21 / 20 + 7919) {
        const qint64 wait = qint64(QtTimer::nextWaitMs(left)) * Ms;
        const QByteArray where = QByteArray::number(left);
        QVERIFY2(wait <= 1000 * Ms, where);
        if (wait == 0) {
            QVERIFY2(left <= QtTimer::FinishNs, where);
        } else if (left > 30 * Ms) {
            QVERIFY2(wait + wait / 1000 + 2 * Ms <= left, where); // a piece: slack and rounding
        } else {
            QVERIFY2(wait + 900 * 1000 <= left, where); // the last wait: rounding
            QVERIFY2(left - wait < 2 * Ms, where);      // and little left to sleep
        }
    }
}

void QtTimerTest::fakeClock_aRunKeepsItsTime()
{
    // 1,000 ticks of 10 ms on a made-up clock whose handlers re-arm the
    // timer up to 1.9 ms after the tick was due (or leave it running, as a
    // rewind does): they stay due on the 10 ms grid. A handler 2.5 ms late
    // is caught up by 2 ms; one held up by a modal box goes on from when
    // the box closed, less those 2 ms.
    QtTimer timer;
    qint64 now = 0;
    timer.clock = [&] { return now; };
    quint32 noise = 12345;
    QList<qint64> due; // the next tick's deadline, as each handler left it
    timer.onTick = [&] {
        const int n = due.size();
        noise = noise * 1664525u + 1013904223u;
        now += n == 501 ? 2500 * 1000 : n == 900 ? 500 * Ms : qint64(noise >> 8) % (1900 * 1000);
        if (n % 7 != 3)
            timer.setInterval(10);
        due << timer.deadlineNs();
        if (due.size() == 1000)
            timer.setEnabled(false);
        now = timer.deadlineNs(); // on to the next tick
    };
    timer.setInterval(10);
    timer.setEnabled(true);
    now = timer.deadlineNs();
    QTRY_COMPARE_WITH_TIMEOUT(due.size(), 1000, 20000);
    qint64 at = 10 * Ms;
    for (int n = 0; n < due.size(); ++n) {
        QCOMPARE(due[n] - at, n == 501 ? 10 * Ms + Ms / 2 : n == 900 ? 508 * Ms : 10 * Ms);
        at = due[n];
    }
}

void QtTimerTest::zeroPeriodNeverTicks()
{
    QtTimer timer;
    int ticks = 0;
    timer.onTick = [&] { ++ticks; };
    timer.setEnabled(true);
    timer.setInterval(0);
    QTest::qWait(60);
    QCOMPARE(ticks, 0);
    QVERIFY(!timer.holdsFineResolution());
}

void QtTimerTest::ticksRepeat_neverEarly_stopWhenDisabled()
{
    QtTimer timer;
    QElapsedTimer clock;
    QList<qint64> at;
    timer.onTick = [&] {
        at << clock.nsecsElapsed();
        if (at.size() == 3)
            timer.setEnabled(false);
    };
    clock.start();
    timer.setInterval(25);
    timer.setEnabled(true);
    // The system timer's fine resolution is held while it ticks, and given
    // back when the tick handler disables it.
    QVERIFY(timer.holdsFineResolution());
    QTRY_COMPARE_WITH_TIMEOUT(at.size(), 3, 5000);
    QTest::qWait(80);
    QCOMPARE(at.size(), 3);
    QVERIFY(!timer.holdsFineResolution());
    // Each period counts from the last tick's deadline, not from when a
    // late tick ran: the ticks keep to 25, 50 and 75 ms, never before.
    QVERIFY(at[0] >= 25 * Ms);
    QVERIFY(at[1] >= 50 * Ms);
    QVERIFY(at[2] >= 75 * Ms);
}

void QtTimerTest::newPeriodCountsFromWhenItIsSet()
{
    QtTimer timer;
    QElapsedTimer clock;
    qint64 tickAt = -1;
    timer.onTick = [&] {
        tickAt = clock.nsecsElapsed();
        timer.setEnabled(false);
    };
    timer.setInterval(30);
    timer.setEnabled(true);
    QTest::qWait(20);
    clock.start();
    timer.setInterval(40); // the countdown starts afresh
    QTRY_VERIFY_WITH_TIMEOUT(tickAt >= 0, 5000);
    QVERIFY(tickAt >= 40 * Ms);
}

void QtTimerTest::waitLongerThanOnePiece()
{
    QtTimer timer;
    QElapsedTimer clock;
    qint64 tickAt = -1;
    int ticks = 0;
    timer.onTick = [&] {
        if (++ticks == 1)
            tickAt = clock.nsecsElapsed();
        timer.setEnabled(false);
    };
    clock.start();
    timer.setInterval(1100);
    timer.setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(tickAt >= 0, 10000);
    QCOMPARE(ticks, 1);
    QVERIFY(tickAt >= 1100 * Ms);
    QVERIFY(tickAt < 1600 * Ms); // loose: a busy machine may be late
}

QTEST_GUILESS_MAIN(QtTimerTest)
#include "test_qt_timer.moc"
