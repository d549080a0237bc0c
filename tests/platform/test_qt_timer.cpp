// The precise timer: how it splits a wait, where the next tick is due when
// the handler re-arms it (on a made-up clock), and real ticks that never
// come before their period (their lateness is measured by the benchmark).
#include "platform/QtTimer.h"

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
    void nextDeadline_data();
    void nextDeadline();
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

void QtTimerTest::nextDeadline_data()
{
    // The tick was due at 1,000 ms; the handler sets the period at "now".
    QTest::addColumn<qint64>("nowNs");
    QTest::addColumn<int>("periodMs");
    QTest::addColumn<qint64>("nextNs");
    const qint64 due = 1000 * Ms;
    QTest::newRow("on time") << due << 10 << due + 10 * Ms;
    QTest::newRow("woke 0.3 ms late") << due + 300000 << 10 << due + 10 * Ms;
    QTest::newRow("2 ms late: still caught up") << due + 2 * Ms << 10 << due + 10 * Ms;
    QTest::newRow("2.5 ms late: 2 ms caught up") << due + 5 * Ms / 2 << 10 << due + 10 * Ms + Ms / 2;
    QTest::newRow("a modal box: from now, less 2 ms") << due + 4000 * Ms << 10 << due + 4008 * Ms;
    QTest::newRow("a new, longer period") << due + Ms << 65535 << due + 65535 * Ms;
    QTest::newRow("a new, shorter period") << due + Ms << 5 << due + 5 * Ms;
    QTest::newRow("period shorter than the delay") << due + 7 * Ms << 5 << due + 10 * Ms;
}

void QtTimerTest::nextDeadline()
{
    QFETCH(qint64, nowNs);
    QFETCH(int, periodMs);
    QFETCH(qint64, nextNs);
    QCOMPARE(QtTimer::nextDeadlineNs(1000 * Ms, nowNs, periodMs), nextNs);
}

void QtTimerTest::fakeClock_aRunKeepsItsTime()
{
    // 1,000 ticks of 10 ms on a made-up clock, each woken up to 1.7 ms late
    // and worked on for 0.2 ms before its handler re-arms the timer (every
    // seventh leaves it running, as a rewind does): they stay due on the
    // 10 ms grid. Then a modal box holds one handler up for half a second:
    // the next step counts from there, shortened by the catch-up only.
    QtTimer timer;
    qint64 now = 0;
    timer.clock = [&] { return now; };
    quint32 noise = 12345;
    auto wakeUp = [&] {
        noise = noise * 1664525u + 1013904223u;
        now = timer.deadlineNs() + qint64(noise >> 8) % (1700 * 1000);
    };
    QList<qint64> due;
    qint64 boxClosed = -1;
    timer.onTick = [&] {
        now += due.size() == 999 ? 500 * Ms : 200 * 1000;
        if (due.size() == 999)
            boxClosed = now;
        if (due.size() % 7 != 3) {
            timer.setInterval(10);
            timer.setEnabled(true);
        }
        due << timer.deadlineNs();
        if (due.size() == 1001)
            timer.setEnabled(false);
        wakeUp();
    };
    timer.setInterval(10);
    timer.setEnabled(true);
    wakeUp();
    QTRY_COMPARE_WITH_TIMEOUT(due.size(), 1001, 20000);
    for (int i = 0; i < 999; ++i)
        QCOMPARE(due[i], (i + 2) * 10 * Ms);
    QCOMPARE(due[999] - boxClosed, 10 * Ms - QtTimer::MaxCatchUpNs);
    QCOMPARE(due[1000] - due[999], 10 * Ms);
    QTest::qWait(20);
    QCOMPARE(due.size(), 1001);
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
    QTRY_COMPARE_WITH_TIMEOUT(at.size(), 3, 5000);
    QTest::qWait(80);
    QCOMPARE(at.size(), 3);
    QVERIFY(at[0] >= 25 * Ms);
    QVERIFY(at[1] - at[0] >= 25 * Ms);
    QVERIFY(at[2] - at[1] >= 25 * Ms);
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
