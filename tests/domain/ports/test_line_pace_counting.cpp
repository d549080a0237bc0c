// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/ports/LinePace.h"

#include <QTest>

// The pace every port keeps, on a clock the test moves by hand.
class TestLinePaceCounting : public QObject
{
    Q_OBJECT
private slots:
    void pending_data();
    void pending();
};

namespace {
// One thing that happens to the line: a write, a drop, time passing, a
// queue the port reports.
struct Event
{
    enum Kind { Write, Drop, DropOnTheWay, Wait } kind;
    double amount; // bytes written, or milliseconds waited
};
} // namespace
Q_DECLARE_METATYPE(QList<Event>)

void TestLinePaceCounting::pending_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QList<Event>>("events");
    QTest::addColumn<qint64>("queued");
    QTest::addColumn<int>("pendingMs");

    // 9600 baud 8N1: 1.0417 ms a character.
    QTest::newRow("nothing written") << "9600,n,8,1" << QList<Event>{} << qint64(0) << 0;
    QTest::newRow("ten bytes") << "9600,n,8,1" << QList<Event>{{Event::Write, 10}} << qint64(0) << 11;
    QTest::newRow("partly carried") << "9600,n,8,1" << QList<Event>{{Event::Write, 10}, {Event::Wait, 5}}
                                    << qint64(0) << 6;
    QTest::newRow("carried") << "9600,n,8,1" << QList<Event>{{Event::Write, 10}, {Event::Wait, 11}} << qint64(0)
                             << 0;
    QTest::newRow("writes queue behind each other")
        << "9600,n,8,1" << QList<Event>{{Event::Write, 10}, {Event::Wait, 2}, {Event::Write, 10}} << qint64(0)
        << 19;
    QTest::newRow("a write after a still line starts now")
        << "9600,n,8,1" << QList<Event>{{Event::Write, 10}, {Event::Wait, 100}, {Event::Write, 10}} << qint64(0)
        << 11;
    QTest::newRow("a queue longer than the count")
        << "9600,n,8,1" << QList<Event>{{Event::Write, 10}} << qint64(48) << 50;
    QTest::newRow("dropped while a character was on the line")
        << "9600,n,8,1" << QList<Event>{{Event::Write, 60}, {Event::DropOnTheWay, 0}} << qint64(0) << 2;
    QTest::newRow("dropped on a still line")
        << "9600,n,8,1" << QList<Event>{{Event::Write, 60}, {Event::Drop, 0}} << qint64(0) << 0;
    // 1200 baud 7E2: eleven bits, 9.1667 ms a character.
    QTest::newRow("slow line, more bits") << "1200,e,7,2" << QList<Event>{{Event::Write, 3}} << qint64(0) << 28;
}

void TestLinePaceCounting::pending()
{
    QFETCH(QString, settings);
    QFETCH(QList<Event>, events);
    QFETCH(qint64, queued);
    QFETCH(int, pendingMs);

    double now = 1000;
    LinePace pace;
    pace.setClock([&now] { return now; });
    pace.setSettings(*parseLineSettings(settings));
    for (const Event &e : events) {
        switch (e.kind) {
        case Event::Write: pace.wrote(static_cast<qint64>(e.amount)); break;
        case Event::Drop:
            now += 20;
            pace.discarded(false);
            break;
        case Event::DropOnTheWay: pace.discarded(true); break;
        case Event::Wait: now += e.amount; break;
        }
    }
    QCOMPARE(pace.pendingMs(queued), pendingMs);
}

QTEST_GUILESS_MAIN(TestLinePaceCounting)
#include "test_line_pace_counting.moc"
