// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The virtual source between the wire and its commands: how bytes become
// lines, when each line has arrived at the line speed, and which steps the
// line stretches.
#include "sim/source/SourceModel.h"
#include "sim/source/StretchedStep.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
LineSettings baud(int rate)
{
    LineSettings line;
    line.baud = rate;
    return line;
}

QList<QByteArray> texts(const QList<ReceivedLine> &lines)
{
    QList<QByteArray> out;
    for (const auto &l : lines)
        out << l.text;
    return out;
}
} // namespace

class SourceModelTest : public QObject
{
    Q_OBJECT
private slots:
    void characterTimeFollowsTheFrame_data();
    void characterTimeFollowsTheFrame();
    void framing_data();
    void framing();
    void overlongLineIsOneErrorAndMemoryStaysBounded();
    void lineArrivesWithItsLastByte();
    void aBurstQueuesAtLineSpeed();
    void idleLineStartsAfresh();
    void linesAreCarriedOutOnlyWhenDue();
    void refusedLinesAreCountedAndChangeNothing();
    void transcriptLimitKeepsTheNewest();
    void stretchedSteps_data();
    void stretchedSteps();
    void noiseNeverLeavesTheLimits();
};

void SourceModelTest::characterTimeFollowsTheFrame_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<char>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<double>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("9600 8N1") << 9600 << 8 << 'n' << 1 << 10000.0 / 9600 << "9600,8,N,1";
    QTest::newRow("1200 8N1") << 1200 << 8 << 'n' << 1 << 10000.0 / 1200 << "1200,8,N,1";
    QTest::newRow("2400 7E2") << 2400 << 7 << 'e' << 2 << 11000.0 / 2400 << "2400,7,E,2";
    QTest::newRow("no speed") << 0 << 8 << 'n' << 1 << 0.0 << "0,8,N,1";
}

void SourceModelTest::characterTimeFollowsTheFrame()
{
    QFETCH(int, rate);
    QFETCH(int, dataBits);
    QFETCH(char, parity);
    QFETCH(int, stopBits);
    QFETCH(double, ms);
    QFETCH(QString, text);
    const LineSettings line{rate, parity, dataBits, stopBits};
    QCOMPARE(characterMs(line), ms);
    QCOMPARE(lineSettingsText(line), text);
}

void SourceModelTest::framing_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QStringList>("errors");
    const QString lf = QStringLiteral("line feed without carriage return");

    QTest::newRow("one line") << QByteArray(":SYST:REM \r") << QList<QByteArray>{":SYST:REM "}
                              << QStringList{""};
    QTest::newRow("two lines") << QByteArray("*RST\r:OUTP ON\r") << QList<QByteArray>{"*RST", ":OUTP ON"}
                               << QStringList{"", ""};
    QTest::newRow("unfinished line waits") << QByteArray(":OUTP ON") << QList<QByteArray>{} << QStringList{};
    QTest::newRow("CR LF is one line end")
        << QByteArray(":OUTP ON\r\n*RST\r") << QList<QByteArray>{":OUTP ON", "*RST"} << QStringList{"", ""};
    QTest::newRow("lone LF") << QByteArray(":OUTP ON\n") << QList<QByteArray>{":OUTP ON"} << QStringList{lf};
    QTest::newRow("LF after a line end")
        << QByteArray("*RST\r\n\n") << QList<QByteArray>{"*RST", ""} << QStringList{"", lf};
    QTest::newRow("empty line") << QByteArray("\r") << QList<QByteArray>{""} << QStringList{""};
    QTest::newRow("8-bit and NUL bytes kept") << QByteArray(":SOUR:RANG H\xf6he\0x\r", 18)
                                              << QList<QByteArray>{QByteArray(":SOUR:RANG H\xf6he\0x", 17)}
                                              << QStringList{"range not AUTO, LOW or HIGH"};
}

void SourceModelTest::framing()
{
    QFETCH(QByteArray, wire);
    QFETCH(QList<QByteArray>, lines);
    QFETCH(QStringList, errors);
    SourceModel model;
    model.receive(wire, 0.0, baud(9600));
    const QList<ReceivedLine> done = model.advanceToEnd();
    QCOMPARE(texts(done), lines);
    QStringList got;
    for (const auto &l : done)
        got << l.error;
    QCOMPARE(got, errors);
}

void SourceModelTest::overlongLineIsOneErrorAndMemoryStaysBounded()
{
    LineFramer framer;
    const QByteArray huge(100000, 'A');
    for (const char c : huge)
        QVERIFY(!framer.push(c));
    QCOMPARE(framer.pending(), LineFramer::MaxLine);
    const auto frame = framer.push('\r');
    QVERIFY(frame);
    QCOMPARE(frame->error, QStringLiteral("line longer than 256 bytes"));
    QCOMPARE(frame->text, QByteArray(256, 'A'));
    // The next line is judged on its own again; 256 bytes are still fine.
    for (const char c : QByteArray(256, 'B'))
        framer.push(c);
    const auto next = framer.push('\r');
    QVERIFY(next);
    QVERIFY(next->error.isEmpty());
}

void SourceModelTest::lineArrivesWithItsLastByte()
{
    SourceModel model;
    // ":SYST:REM " and CR: eleven characters of ten bits at 9600 baud.
    model.receive(":SYST:REM \r", 100.0, baud(9600));
    const auto due = model.nextDue();
    QVERIFY(due);
    QCOMPARE(*due, 100.0 + 11 * 10000.0 / 9600);
    QCOMPARE(model.lineFreeAt(), *due);
}

void SourceModelTest::aBurstQueuesAtLineSpeed()
{
    // Six step commands written at once take ~100 ms at 9600 and ~800 ms at
    // 1200; each line arrives one character time after the previous byte.
    const QByteArray burst = ":SOUR:STPH 0.00\r:SOUR:SPPH 360.00\r:SOUR:FREQ 50.00\r"
                             ":SOUR:RANG Auto\r:SOUR:VOLT 230.00\r:SOUR:TURN On\r";
    for (const int rate : {9600, 1200}) {
        SourceModel model;
        model.receive(burst, 0.0, baud(rate));
        const auto done = model.advanceToEnd();
        QCOMPARE(done.size(), 6);
        const double charMs = 10000.0 / rate;
        double expected = 0.0;
        for (const auto &line : done) {
            expected += (line.text.size() + 1) * charMs;
            QCOMPARE(line.ms, expected);
        }
        QCOMPARE(model.lineFreeAt(), burst.size() * charMs);
    }
}

void SourceModelTest::idleLineStartsAfresh()
{
    SourceModel model;
    model.receive("*RST\r", 0.0, baud(9600));
    // Written long after the line went quiet: timed from its own writing.
    model.receive("*RST\r", 1000.0, baud(1200));
    // Written while the line is still busy: queued behind it.
    model.receive("*RST\r", 1001.0, baud(1200));
    const auto done = model.advanceToEnd();
    QCOMPARE(done.size(), 3);
    QCOMPARE(done[1].ms, 1000.0 + 5 * 10000.0 / 1200);
    QCOMPARE(done[2].ms, 1000.0 + 10 * 10000.0 / 1200);
}

void SourceModelTest::linesAreCarriedOutOnlyWhenDue()
{
    SourceModel model;
    model.receive(":OUTP ON\r:SOUR:TURN On\r", 0.0, baud(1200));
    const double first = 9 * 10000.0 / 1200;
    QVERIFY(model.advanceTo(first - 0.001).isEmpty());
    QVERIFY(!model.state().relay);
    QCOMPARE(texts(model.advanceTo(first)), QList<QByteArray>{":OUTP ON"});
    QVERIFY(model.state().relay);
    QVERIFY(!model.state().output);
    QCOMPARE(*model.nextDue(), 23 * 10000.0 / 1200);
    QCOMPARE(model.advanceToEnd().size(), 1);
    QVERIFY(model.state().output);
    QVERIFY(!model.nextDue());
}

void SourceModelTest::refusedLinesAreCountedAndChangeNothing()
{
    SourceModel model;
    model.receive(":SOUR:VOLT 230\r:SOUR:VOLT 400\r:SOUR:FREQ 30\r:SOUR:BOGUS\r:SOUR:VOLT x\rjunk\n", 0.0,
                  baud(9600));
    const auto done = model.advanceToEnd();
    QCOMPARE(done.size(), 6);
    QCOMPARE(model.errorCount(), 5);
    QCOMPARE(model.state().volts, 230.0);
    QCOMPARE(model.state().hertz, SourceState{}.hertz);
    QCOMPARE(model.transcript().size(), size_t(6));
    QVERIFY(model.transcript().front().ok());
    QCOMPARE(model.transcript().back().error, QStringLiteral("line feed without carriage return"));
}

void SourceModelTest::transcriptLimitKeepsTheNewest()
{
    SourceModel model;
    model.setTranscriptLimit(3);
    for (int i = 0; i < 10; ++i)
        model.receive(":SOUR:VOLT " + QByteArray::number(i) + "\r", i * 100.0, baud(9600));
    model.advanceToEnd();
    QCOMPARE(model.transcript().size(), size_t(3));
    QCOMPARE(model.transcript().front().text, QByteArray(":SOUR:VOLT 7"));
    QCOMPARE(model.state().volts, 9.0);
}

void SourceModelTest::stretchedSteps_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("dwellMs");
    QTest::addColumn<QString>("flag");
    QTest::newRow("dwell 10 ms at 9600")
        << 90 << 9600 << 10 << "Step5: 94 ms of commands at 9600 baud, dwell 10 ms";
    QTest::newRow("same bytes at 1200")
        << 90 << 1200 << 500 << "Step5: 750 ms of commands at 1200 baud, dwell 500 ms";
    QTest::newRow("fits the dwell") << 90 << 9600 << 100 << QString();
    QTest::newRow("exactly the dwell") << 96 << 9600 << 100 << QString();
    QTest::newRow("held until STOP") << 90 << 1200 << 0 << QString();
}

void SourceModelTest::stretchedSteps()
{
    QFETCH(int, bytes);
    QFETCH(int, rate);
    QFETCH(int, dwellMs);
    QFETCH(QString, flag);
    const auto stretched = checkBurst(bytes, 123.0, baud(rate), {QStringLiteral("Step5"), dwellMs});
    QCOMPARE(stretched ? stretched->text() : QString(), flag);
    if (stretched)
        QCOMPARE(stretched->ms, 123.0);
}

void SourceModelTest::noiseNeverLeavesTheLimits()
{
    // Line noise mixed with real commands: whatever arrives, lines stay
    // bounded and the settings stay within what the instrument accepts.
    QRandomGenerator random(7);
    const QList<QByteArray> words = {":SOUR:VOLT ", ":SOUR:FREQ ", ":SOUR:STPH ", ":OUTP ", "1e3", "-5",
                                     "250",         "45.5",        "\r",          "\n",     "ON"};
    SourceModel model;
    QByteArray noise;
    for (int i = 0; i < 200000; ++i) {
        if (random.bounded(4) == 0)
            noise += words[random.bounded(words.size())];
        else
            noise += char(random.bounded(256));
    }
    model.receive(noise, 0.0, baud(9600));
    const auto done = model.advanceToEnd();
    QVERIFY(done.size() > 1000);
    for (const auto &line : done)
        QVERIFY(line.text.size() <= LineFramer::MaxLine);
    const SourceState &s = model.state();
    QVERIFY(s.volts >= 0.0 && s.volts <= 310.0);
    QVERIFY(s.hertz >= 40.0 && s.hertz <= 500.0);
    QVERIFY(s.startPhase >= 0.0 && s.startPhase <= 360.0);
    QVERIFY(model.errorCount() > 0 && model.errorCount() <= done.size());
}

QTEST_GUILESS_MAIN(SourceModelTest)
#include "test_source_model.moc"
