// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Load: a Continuous program of 10 ms steps played for minutes against the
// virtual source. The real main window writes through its real serial
// adapter into a pseudo-terminal, as in the demo; the source checks every
// line it receives against what the window wrote and against the program's
// cyclic sequence, and the process's resident memory is read after a
// second of running, every minute, and at the end.
//
//   bench_soak [--seconds S] [--steps N] [--virtual] [--hidden]
//
//   --seconds S  press STOP after S seconds (default 20; 600 for ten minutes)
//   --steps N    press STOP once N steps have been played (no time limit
//                unless --seconds is given too)
//   --virtual    the window's timer on a virtual clock: each tick comes as
//                soon as the last one is done (the serial path stays real)
//   --hidden     leave the window hidden (it is shown offscreen by default)
//
// Exit status 1 when a line was lost, reordered or unexpected, the source
// refused a line, the program showed a message or the run stalled.
//
// What it measures lives in bench/soak: the transport (Ledger: lines lost,
// reordered or extra), the sequence (ExpectedRun: every line against the
// program's cycle), the resident memory (Memory) and, in SoakRun, the run
// with its pace and its report.
#include "soak/SoakProgram.h"
#include "soak/SoakRun.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {
QString limitText(const Options &o)
{
    QStringList parts;
    if (o.seconds)
        parts << QStringLiteral("%1 s").arg(*o.seconds);
    if (o.steps)
        parts << QStringLiteral("%1 steps").arg(*o.steps);
    return parts.join(QStringLiteral(" or "));
}

// Real time: the window's own QtTimer ticks; the event loop carries the
// bytes to the source between ticks.
void runRealTime(Soak &soak, const Options &o)
{
    QEventLoop loop;
    auto stop = [&](const QString &why) {
        if (soak.stopped())
            return;
        soak.pressStop(why);
        // Let the last lines reach the source.
        auto *drain = new QTimer(&loop);
        QElapsedTimer waited;
        waited.start();
        QObject::connect(drain, &QTimer::timeout, [&soak, &loop, waited] {
            if (soak.caughtUp() || waited.elapsed() > 3000)
                loop.quit();
        });
        drain->start(50);
    };

    QTimer everySecond;
    qint64 lastSteps = -1;
    int stillSeconds = 0;
    QObject::connect(&everySecond, &QTimer::timeout, [&] {
        if (soak.stopped())
            return;
        soak.sample();
        if (!soak.running()) {
            soak.markStalled();
            stop(QStringLiteral("the run ended by itself"));
            return;
        }
        stillSeconds = soak.stepsReceived() == lastSteps ? stillSeconds + 1 : 0;
        lastSteps = soak.stepsReceived();
        if (stillSeconds >= 3) {
            soak.markStalled();
            stop(QStringLiteral("stalled: no step reached the source for 3 s"));
        }
    });

    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer); // a coarse timer may end 5 % early
    if (o.seconds) {
        QObject::connect(&limit, &QTimer::timeout,
                         [&] { stop(QStringLiteral("STOP pressed after %1 s").arg(*o.seconds)); });
        limit.start(int(*o.seconds * 1000));
    }
    // STOP goes in between ticks, never inside one.
    soak.onStepGoal = [&] {
        QTimer::singleShot(0, &loop,
                           [&] { stop(QStringLiteral("STOP pressed after %1 steps").arg(*o.steps)); });
    };

    soak.pressRun();
    everySecond.setTimerType(Qt::PreciseTimer); // the start figure after a full second
    everySecond.start(1000);
    loop.exec();
}

// Virtual time: each tick comes as soon as the last is done.
void runVirtual(Soak &soak, const Options &o)
{
    soak.pressRun();
    const double runMs = soak.nowMs();
    double nextSecond = runMs + 1000.0;
    while (soak.running()) {
        if (soak.stepGoalReached()) {
            soak.pressStop(QStringLiteral("STOP pressed after %1 steps").arg(*o.steps));
            break;
        }
        if (o.seconds && soak.nowMs() + TickMs > runMs + *o.seconds * 1000.0) {
            soak.pressStop(QStringLiteral("STOP pressed after %1 s (virtual)").arg(*o.seconds));
            break;
        }
        if (!soak.tickVirtually()) {
            soak.markStalled();
            break;
        }
        if (soak.nowMs() >= nextSecond) {
            soak.sample();
            nextSecond += 1000.0;
        }
    }
    if (!soak.stopped()) {
        soak.markStalled();
        soak.pressStop(QStringLiteral("the run ended by itself"));
    }
    soak.poll();
}

bool parse(int argc, char *argv[], Options &o)
{
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--seconds") == 0 && hasValue) {
            bool ok = false;
            o.seconds = QString::fromLocal8Bit(argv[++i]).toDouble(&ok);
            if (!ok || *o.seconds <= 0 || *o.seconds > 7 * 24 * 3600)
                return false;
        } else if (std::strcmp(argv[i], "--steps") == 0 && hasValue) {
            bool ok = false;
            o.steps = QString::fromLocal8Bit(argv[++i]).toLongLong(&ok);
            if (!ok || *o.steps < 1)
                return false;
        } else if (std::strcmp(argv[i], "--virtual") == 0) {
            o.virtualClock = true;
        } else if (std::strcmp(argv[i], "--hidden") == 0) {
            o.hidden = true;
        } else {
            return false;
        }
    }
    if (!o.seconds && !o.steps)
        o.seconds = 20.0;
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: bench_soak [--seconds S] [--steps N] [--virtual] [--hidden]\n");
        return 2;
    }
#ifndef Q_OS_UNIX
    std::puts("bench_soak: the virtual source's cable is a POSIX pseudo-terminal; not run here");
    return 0;
#else
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    Soak soak(options);
    if (!soak.setUp())
        return 1;
    std::printf("Continuous run of %d steps of %d ms (%s clock), STOP after %s; "
                "rss every minute:\n",
                Rows, TickMs, options.virtualClock ? "virtual" : "real", qPrintable(limitText(options)));
    std::fflush(stdout);
    if (options.virtualClock)
        runVirtual(soak, options);
    else
        runRealTime(soak, options);
    return soak.report();
#endif
}
