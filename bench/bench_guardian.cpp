// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The guardian, quorra-guard: how long it takes to start and hold the port
// (against starting /bin/true on this machine), how much memory it holds
// (against the 2 MB it may), and, with the real quorra --run on a
// pseudo-terminal read at 9600 baud, the time from SIGKILL to ":OUTP OFF"
// complete at the far end (against the off commands' own line time and
// 50 ms). Medians of several runs.
#include "BenchTiming.h"
#include "domain/files/StepFileFormat.h"
#include "domain/instrument/Commands.h"
#include "domain/system/CrashSignals.h"
#include "domain/system/Guardian.h"
#include "sim/source/SourceLink.h"
#include "support/PtyPair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {
constexpr double CharMs = 1000.0 / 960.0; // 9600 baud, 8N1

double residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
    return -1;
}

#ifdef Q_OS_UNIX
double spawnTrueMs()
{
    return millisecondsOf([] {
        char name[] = "true";
        char *arguments[] = {name, nullptr};
        char *environment[] = {nullptr};
        pid_t pid = -1;
        if (::posix_spawn(&pid, "/bin/true", nullptr, nullptr, arguments, environment) == 0)
            ::waitpid(pid, nullptr, 0);
    });
}
#endif

// One run of quorra --run killed mid-step; the ms from the kill to
// ":OUTP OFF" complete at the far end, -1 when it never came.
double killToOutputOffMs(const QString &file)
{
    QElapsedTimer since;
    since.start();
    SourceLink link([&] { return static_cast<double>(since.nsecsElapsed()) / 1e6; }, SourceLink::Cable::Pty);
    link.setLive(true);
    QProcess process;
    process.start(QStringLiteral(QUORRA_EXECUTABLE),
                  {QStringLiteral("--run"), file, QStringLiteral("--mode"), QStringLiteral("continuous"),
                   QStringLiteral("--port"), link.farEndPath()});
    if (!process.waitForStarted())
        return -1;
    QElapsedTimer waited;
    waited.start();
    while (link.model().transcript().size() < 14 && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    // Anywhere in a step's commands.
    QTest::qWait(QRandomGenerator::global()->bounded(100));
    const qint64 pid = process.processId();
    if (pid <= 0 || link.model().transcript().size() < 14)
        return -1; // never a kill(0): that is the whole process group
    const double killedMs = link.now();
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    process.waitForFinished(5000);
    waited.restart();
    double offMs = -1;
    while (offMs < 0 && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (const ReceivedLine &line : link.model().transcript())
            if (line.ms > killedMs && line.text == ":OUTP OFF")
                offMs = line.ms - killedMs;
    }
    QTest::qWait(200);
    link.setLive(false);
    return offMs;
}
} // namespace

int main(int argc, char **argv)
{
#ifndef Q_OS_UNIX
    std::puts("bench_guardian: the guardian is POSIX only");
    return 0;
#else
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    constexpr int Runs = 21;
    const QString program = QStringLiteral(QUORRA_GUARD_EXECUTABLE);

    // Start: from the crash path getting bytes to the guardian holding the port.
    std::vector<double> startMs, spawnPartMs, trueMs, rssKb;
    CrashSignals crash;
    PtyPair pty;
    pty.open();
    CrashSignals::setPortHandle(pty.nearEnd());
    for (int run = 0; run < Runs; ++run) {
        Guardian guardian(program, [](const QString &text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
        bool taken = false;
        const double spawnMs = millisecondsOf([&] { crash.setCrashOutput(Command::crashRelease()); });
        const double takenMs = millisecondsOf([&] { taken = guardian.waitUntilTaken(5000); });
        spawnPartMs.push_back(spawnMs);
        startMs.push_back(spawnMs + takenMs);
        if (!taken)
            return 1;
        rssKb.push_back(residentKb(guardian.processId()));
        crash.setCrashOutput({});
        trueMs.push_back(spawnTrueMs());
    }
    CrashSignals::setPortHandle(-1);
    const double start = median(startMs), baseline = median(trueMs), rss = median(rssKb);
    std::printf("guardian start to holding the port: median %.2f ms over %d runs (goal <= 10 ms)\n", start,
                Runs);
    std::printf("  of which the program's own part (spawn, first state sent): median %.2f ms\n",
                median(spawnPartMs));
    std::printf("  /bin/true started and reaped:     median %.2f ms; ratio %.2f\n", baseline, start / baseline);
    std::printf("guardian resident memory (VmRSS):   median %.0f kB (goal <= 2048 kB); ratio %.2f\n", rss,
                rss / 2048.0);

    // SIGKILL to ":OUTP OFF" complete at the far end, at 9600 baud.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("steps.log"));
    std::vector<StepRecord> rows;
    for (int i = 1; i <= 2; ++i) {
        StepRecord row;
        row.checked = true;
        row.label = QStringLiteral("Step%1").arg(i);
        row.values = {"On", "Auto", QStringLiteral("%1.00").arg(100 + i), "50.00", "0.00", "360.00", "0.10"};
        rows.push_back(row);
    }
    QFile steps(file);
    if (!steps.open(QIODevice::WriteOnly) || steps.write(StepFileFormat::format(rows)) < 0)
        return 1;
    steps.close();
    std::vector<double> offMs;
    const int KillRuns = argc > 1 && QByteArray(argv[1]) == "--start-only" ? 0 : 7;
    for (int run = 0; run < KillRuns; ++run) {
        const double ms = killToOutputOffMs(file);
        if (ms < 0) {
            std::puts("bench_guardian: \":OUTP OFF\" never came after a SIGKILL");
            return 1;
        }
        offMs.push_back(ms);
    }
    // The lone CR, ":SOUR:TURN OFF" and ":OUTP OFF" on the line, a
    // character cut short before them, and 50 ms.
    const double goal = (QByteArray("\r:SOUR:TURN OFF\r:OUTP OFF\r").size() + 1) * CharMs + 50.0;
    std::printf(
        "SIGKILL to \":OUTP OFF\" complete at the far end (pty, 9600 baud): median %.1f ms over %d runs,"
        " min %.1f, max %.1f\n",
        median(offMs), KillRuns, *std::min_element(offMs.begin(), offMs.end()),
        *std::max_element(offMs.begin(), offMs.end()));
    std::printf("  goal (off commands' line time + 50 ms): %.1f ms; ratio %.2f\n", goal, median(offMs) / goal);
    return 0;
#endif
}
