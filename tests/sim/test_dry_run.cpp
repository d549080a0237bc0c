// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Dry runs: the main window plays its table on a virtual clock, through its
// real serial code and a pseudo-terminal, to the virtual source.
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "sim/demo/DryRun.h"

#include <QTest>
#include <QTextStream>

namespace {
StepRecord step(int n, const QString &volts, const QString &dwell, const QString &startPhase = "0.00",
                bool checked = true)
{
    StepRecord r;
    r.checked = checked;
    r.label = QStringLiteral("Step%1").arg(n);
    r.values = {"On", "Auto", volts, "50.00", startPhase, "360.00", dwell};
    return r;
}

void fill(DryRun &dry, const QList<StepRecord> &rows)
{
    for (int i = 0; i < rows.size(); ++i)
        dry.window().ui().livData->add(i + 1, rows[i]);
}

QStringList received(const DryRun::Result &r)
{
    QStringList lines;
    for (const auto &e : r.transcript)
        if (e.kind != DryRun::Entry::Kind::Note)
            lines << e.text;
    return lines;
}

double receivedAt(const DryRun::Result &r, const QString &text, int occurrence = 1)
{
    for (const auto &e : r.transcript)
        if (e.kind == DryRun::Entry::Kind::Received && e.text == text && --occurrence == 0)
            return e.ms;
    return -1;
}

QString examplePath(const char *name)
{
    return QFINDTESTDATA(QStringLiteral("../../examples/") + QLatin1String(name));
}
} // namespace

class DryRunTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void singleRunHasTheSequencersTiming();
    void slowLineStretchesShortSteps();
    void valueNoNumber_runRefused_nothingSent();
    void continuousRunStopsAtTheLimit();
    void heldStepIsStoppedAndSaidSo();
    void examplesPlayWithoutErrors_data();
    void examplesPlayWithoutErrors();
    void commandLineExitStatus();
};

void DryRunTest::singleRunHasTheSequencersTiming()
{
    DryRun dry;
    QVERIFY2(dry.ready(), qPrintable(dry.errorText()));
    fill(dry, {step(1, "230.00", "1.00"), step(2, "92.00", "0.20", "90.00")});
    const auto r = dry.play({});

    // End of run: d1 + d2 + d2 after RUN, exactly, on the virtual clock.
    QCOMPARE(r.stopMs - r.runMs, 1400.0);
    QVERIFY(r.ending.isEmpty());
    QCOMPARE(r.errorCount, 0);
    QVERIFY(r.stretched.isEmpty());
    const QStringList expected = {":SYST:LOC ",       ":SYST:REM ",       ":SOUR:TURN OFF",
                                  ":OUTP ON",         ":SOUR:STPH 0.00",  ":SOUR:SPPH 360.00",
                                  ":SOUR:FREQ 50.00", ":SOUR:RANG Auto",  ":SOUR:VOLT 230.00",
                                  ":SOUR:TURN On",    ":SOUR:STPH 90.00", ":SOUR:FREQ 50.00",
                                  ":SOUR:RANG Auto",  ":SOUR:VOLT 92.00", ":SOUR:TURN On",
                                  ":SOUR:TURN OFF",   ":OUTP OFF"};
    QCOMPARE(received(r), expected);

    // Each line arrives when its last byte has, at 9600 baud 8N1.
    const double charMs = 10000.0 / 9600;
    QCOMPARE(receivedAt(r, ":SOUR:TURN OFF"), r.runMs + 15 * charMs);
    QCOMPARE(receivedAt(r, ":SOUR:STPH 90.00"), r.runMs + 1000.0 + 17 * charMs);
    QCOMPARE(r.lastLineMs, r.stopMs + (15 + 10) * charMs);

    const SourceState &s = dry.link().model().state();
    QVERIFY(s.remote);
    QVERIFY(!s.relay);
    QVERIFY(!s.output);
    QCOMPARE(s.volts, 92.0);
    QCOMPARE(s.startPhase, 90.0);
}

void DryRunTest::slowLineStretchesShortSteps()
{
    DryRun dry;
    QVERIFY(dry.ready());
    // Step 1's 123 bytes take 1,025 ms at 1200 baud: a dwell of 2 s holds them.
    fill(dry, {step(1, "230.00", "2.00"), step(2, "0.00", "0.02"), step(3, "230.00", "1.00")});
    PlayOptions options;
    options.baud = QStringLiteral("1200");
    const auto r = dry.play(options);
    QCOMPARE(r.stretched.size(), 1);
    // ":SOUR:FREQ 50.00", ":SOUR:RANG Auto", ":SOUR:VOLT 0.00", ":SOUR:TURN On", each with its CR.
    QCOMPARE(r.stretched[0].text(), QStringLiteral("Step2: 525 ms of commands at 1200 baud, dwell 20 ms"));
    // Step 3 was written 20 ms after step 2, but reaches the source only
    // after all of step 2 has.
    QVERIFY(receivedAt(r, ":SOUR:VOLT 230.00", 2) > receivedAt(r, ":SOUR:TURN On", 2));
    QVERIFY(receivedAt(r, ":SOUR:TURN On", 2) - r.runMs > 2000.0 + 520.0);
}

void DryRunTest::valueNoNumber_runRefused_nothingSent()
{
    DryRun dry;
    QVERIFY(dry.ready());
    // "4,00" would go out as it stands (leniently it reads as 4 V); the
    // source takes no decimal comma and would stay at 230 V.
    fill(dry, {step(1, "230.00", "0.10"), step(2, "4,00", "0.10")});
    const auto r = dry.play({});
    QVERIFY(r.refused);
    QCOMPARE(r.errorCount, 0);
    for (const auto &e : r.transcript)
        QVERIFY2(e.kind != DryRun::Entry::Kind::Received || !e.text.startsWith(QLatin1String(":SOUR")),
                 qPrintable(e.text));
    QVERIFY(r.messages.last().contains(QStringLiteral("Step2 (row 2): the voltage \"4,00\" is not a number")));
    QCOMPARE(dry.link().model().state().outputVolts(), 0.0);
}

void DryRunTest::continuousRunStopsAtTheLimit()
{
    DryRun dry;
    QVERIFY(dry.ready());
    fill(dry, {step(1, "230.00", "1.00"), step(2, "207.00", "1.00")});
    PlayOptions options;
    options.run.mode = RunChoice::Mode::Continuous;
    options.limitSeconds = 5.5;
    const auto r = dry.play(options);
    QCOMPARE(r.stopMs - r.runMs, 5500.0);
    QCOMPARE(r.ending, QStringLiteral("STOP pressed after 5.5 s"));
    // Plays 1, 2, (rewind), 1, 2, (rewind) within 5.5 s.
    QVERIFY(receivedAt(r, ":SOUR:VOLT 230.00", 2) > 0);
    QCOMPARE(receivedAt(r, ":SOUR:VOLT 230.00", 3), -1.0);
    QVERIFY(!dry.link().model().state().relay);
}

void DryRunTest::heldStepIsStoppedAndSaidSo()
{
    DryRun dry;
    QVERIFY(dry.ready());
    fill(dry, {step(1, "230.00", "0.50"), step(2, "230.00", "0.00")});
    const auto r = dry.play({});
    QCOMPARE(r.ending, QStringLiteral("Step2 is held until STOP (dwell 0 ms): STOP pressed at once"));
    QCOMPARE(r.stopMs - r.runMs, 500.0);
    QCOMPARE(dry.window().statusText(), QStringLiteral("Now Stop"));
}

void DryRunTest::examplesPlayWithoutErrors_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("stretched");
    QTest::newRow("dips") << examplePath("voltage-dips.log")
                          << QStringList{"Step2: 66 ms of commands at 9600 baud, dwell 20 ms",
                                         "Step8: 83 ms of commands at 9600 baud, dwell 20 ms"};
    QTest::newRow("frequency") << examplePath("frequency-variation.log") << QStringList{};
    QTest::newRow("brown-out") << examplePath("brownout-ramp.log") << QStringList{};
}

void DryRunTest::examplesPlayWithoutErrors()
{
    QFETCH(QString, file);
    QFETCH(QStringList, stretched);
    QVERIFY(!file.isEmpty());
    DryRun dry;
    QVERIFY(dry.ready());
    dry.load(file);
    QVERIFY(dry.window().ui().livData->count() > 5);
    const auto r = dry.play({});
    QCOMPARE(r.errorCount, 0);
    QVERIFY(r.ending.isEmpty());
    QVERIFY(r.stopMs - r.runMs < 60000.0);
    QStringList flagged;
    for (const auto &s : r.stretched)
        flagged << s.text();
    QCOMPARE(flagged, stretched);
}

void DryRunTest::commandLineExitStatus()
{
    QString text;
    QTextStream out(&text);
    QCOMPARE(runDryRun(examplePath("brownout-ramp.log"), {}, out), 0);
    QVERIFY(text.contains(QStringLiteral("Errors reported by the source: 0")));
    QVERIFY(text.contains(QStringLiteral("from RUN until \"Now Stop\"")));

    text.clear();
    QCOMPARE(runDryRun(QStringLiteral("/nonexistent/program.log"), {}, out), 2);
    QVERIFY(text.contains(QStringLiteral("gave no steps")));
    QVERIFY(text.contains(QStringLiteral("Can't open file: /nonexistent/program.log")));

    // A program the run refuses: exit status 2, and the reason.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.log"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(" 1 \r\nTrue\tStep1\tOn\tAuto\t230.00\t60,00\t0.00\t360.00\t0.10\t\r\n");
    f.close();
    text.clear();
    QCOMPARE(runDryRun(path, {}, out), 2);
    QVERIFY2(text.contains(QStringLiteral(
                 "Run refused: Nesk DEMO: Step1 (row 1): the frequency \"60,00\" is not a number")),
             qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral(":SOUR:FREQ 60,00")));
    QVERIFY(!text.contains(QStringLiteral("Duration:")));
}

void DryRunTest::initTestCase()
{
#ifndef Q_OS_UNIX
    QSKIP("the virtual source's cable is a POSIX pseudo-terminal");
#endif
}

QTEST_MAIN(DryRunTest)
#include "test_dry_run.moc"
