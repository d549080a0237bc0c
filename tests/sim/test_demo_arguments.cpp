// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// quorra-demo's arguments: the forms it has always taken, and what it refuses.
#include "sim/demo/DemoArguments.h"

#include <QTest>

class DemoArgumentsTest : public QObject
{
    Q_OBJECT
private slots:
    void arguments_data();
    void arguments();
};

void DemoArgumentsTest::arguments_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("outcome"); // file, mode, baud, limit, cable[, serve port]; or the error
    QTest::newRow("cycle N") << "--play p.log --mode cycle 3"
                             << "p.log Cycle 3 - 0 pty";
    QTest::newRow("cycles option") << "--show p.log --mode cycle --cycles 12 --baud 2400"
                                   << "p.log Cycle 12 2400 0 pty";
    QTest::newRow("limit, tcp") << "--show p.log --seconds 2.5 --tcp"
                                << "p.log Single - 2.5 tcp";
    QTest::newRow("cycle without count") << "--play p.log --mode cycle"
                                         << "count from 1 to 9999";
    QTest::newRow("stray argument") << "--play p.log extra"
                                    << "unknown argument extra";
    QTest::newRow("dry run on tcp") << "--play p.log --tcp"
                                    << "--tcp is for the live demo";
    QTest::newRow("serve on a port") << "--serve --tcp --listen 5025"
                                     << "- Single - 0 tcp serve 5025";
    QTest::newRow("serve and play") << "--serve --play p.log"
                                    << "--serve plays nothing";
    QTest::newRow("listen without tcp") << "--serve --listen 5025"
                                        << "--listen is for --tcp";
}

void DemoArgumentsTest::arguments()
{
    QFETCH(QString, arguments);
    QFETCH(QString, outcome);
    const DemoArguments a = parseDemoArguments(QStringList{QStringLiteral("quorra-demo")}
                                               + arguments.split(QLatin1Char(' ')));
    if (a.exitNow) {
        QCOMPARE(a.exitStatus, 2);
        QVERIFY2(a.standardError.contains(outcome), qPrintable(a.standardError));
        return;
    }
    const QString got = QStringList{a.play.value_or(a.show.value_or("-")), a.options.run.text(),
                                    a.options.baud.isEmpty() ? "-" : a.options.baud,
                                    QString::number(a.options.limitSeconds.value_or(0)),
                                    a.cable == SourceLink::Cable::Tcp ? "tcp" : "pty"}
                            .join(QLatin1Char(' '))
                        + (a.serve ? QStringLiteral(" serve %1").arg(a.listenPort) : QString());
    QCOMPARE(got, outcome);
}

QTEST_GUILESS_MAIN(DemoArgumentsTest)
#include "test_demo_arguments.moc"
