// quorra-demo's arguments: the forms it has always taken, and what it refuses.
#include "sim/DemoArguments.h"

#include <QTest>

class DemoArgumentsTest : public QObject
{
    Q_OBJECT
private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
};

namespace {
DemoArguments parse(const QString &arguments)
{
    return parseDemoArguments(QStringList{QStringLiteral("quorra-demo")}
                              + arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}
} // namespace

void DemoArgumentsTest::accepted_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("summary"); // play|show file, mode, baud, seconds, cable
    QTest::newRow("nothing") << "" << "- - Single - 0 pty";
    QTest::newRow("cycle N") << "--play p.log --mode cycle 3" << "play p.log Cycle 3 - 0 pty";
    QTest::newRow("cycles option") << "--show p.log --mode cycle --cycles 12 --baud 2400"
                                   << "show p.log Cycle 12 2400 0 pty";
    QTest::newRow("continuous, limit, tcp") << "--show p.log --mode continuous --seconds 2.5 --tcp"
                                            << "show p.log Continuous - 2.5 tcp";
}

void DemoArgumentsTest::accepted()
{
    QFETCH(QString, arguments);
    QFETCH(QString, summary);
    const DemoArguments a = parse(arguments);
    QVERIFY2(!a.exitNow, qPrintable(a.standardError));
    const QString file = a.play ? QStringLiteral("play ") + *a.play
                         : a.show ? QStringLiteral("show ") + *a.show
                                  : QStringLiteral("- -");
    const QString got = QStringList{file, a.options.run.text(), a.options.baud.isEmpty() ? "-" : a.options.baud,
                                    QString::number(a.options.limitSeconds.value_or(0)),
                                    a.cable == SourceLink::Cable::Tcp ? "tcp" : "pty"}
                            .join(QLatin1Char(' '));
    QCOMPARE(got, summary);
}

void DemoArgumentsTest::refused_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("cycle without count") << "--play p.log --mode cycle" << "count from 1 to 9999";
    QTest::newRow("count out of range") << "--play p.log --mode cycle 0" << "count from 1 to 9999";
    QTest::newRow("stray argument") << "--play p.log extra" << "unknown argument extra";
    QTest::newRow("play and show") << "--play a --show b" << "exclude each other";
    QTest::newRow("dry run on tcp") << "--play p.log --tcp" << "--tcp is for the live demo";
    QTest::newRow("baud") << "--baud 300" << "--baud is 1200";
    QTest::newRow("seconds") << "--seconds -1" << "positive number";
    QTest::newRow("unknown") << "--fast" << "Unknown option 'fast'";
}

void DemoArgumentsTest::refused()
{
    QFETCH(QString, arguments);
    QFETCH(QString, messagePart);
    const DemoArguments a = parse(arguments);
    QVERIFY(a.exitNow);
    QCOMPARE(a.exitStatus, 2);
    QVERIFY2(a.standardError.contains(messagePart), qPrintable(a.standardError));
}

QTEST_GUILESS_MAIN(DemoArgumentsTest)
#include "test_demo_arguments.moc"
