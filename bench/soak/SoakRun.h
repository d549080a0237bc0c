// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// The run itself: the window, its port and timer, the cable and the source,
// the checks, and the figures they give (pace, memory, faults).

#include "domain/ports/QtSerialPort.h"
#include "domain/ui/TextMessages.h"
#include "sim/demo/HeadlessServices.h"
#include "sim/source/PtyBridge.h"
#include "sim/source/SourceModel.h"
#include "soak/ExpectedRun.h"
#include "soak/Ledger.h"
#include "support/TapPort.h"

#include <QElapsedTimer>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class Timer;
class frmControl;

struct Options
{
    std::optional<double> seconds;
    std::optional<qint64> steps;
    bool virtualClock = false;
    bool hidden = false;
};

// The source carries out each line as soon as it has been read. It still
// times the bytes at the window's line settings, but only to report what a
// real line would make of them: at 9600 baud a step's commands take far
// longer than 10 ms, and holding lines back until their bytes would have
// arrived would only measure that ever-growing backlog.
class Soak
{
public:
    explicit Soak(const Options &options);
    ~Soak();

    double nowMs() const;

    // Opens the cable and starts the window with Remote chosen and the
    // program loaded; false (with the reason printed) when that fails.
    bool setUp();

    void pressRun();
    bool running() const;
    bool stopped() const { return m_stopMs >= 0; }
    void pressStop(const QString &why);

    // Once a second of the run: the resident memory after the first second,
    // and every minute after that.
    void sample();

    // Steps the source has received (a stall shows here first).
    qint64 stepsReceived() const
    {
        const std::lock_guard lock(m_wire);
        return m_sourceCheck ? m_sourceCheck->steps() : 0;
    }
    bool stepGoalReached() const
    {
        const std::lock_guard lock(m_wire);
        return goalReached();
    }
    bool caughtUp()
    {
        const std::lock_guard lock(m_wire);
        return m_ledger.inFlight() == 0 && m_sourceCheck->complete();
    }

    // Reads what the window wrote and carries it out.
    void poll();

    // Moves the virtual clock to the next tick and plays it; false when no
    // tick will come.
    bool tickVirtually();

    // Prints the figures; returns the exit status.
    int report();

    void markStalled() { m_stalled = true; }

    // Called inside the tick that played the last step asked for.
    std::function<void()> onStepGoal;

private:
    bool goalReached() const
    {
        return m_options.steps && m_sentCheck && m_sentCheck->steps() >= *m_options.steps;
    }
    // On the session's thread, as the window's port is given each line, and
    // at STOP's discard, before STOP's own commands.
    void onWritten(const QByteArray &line);
    void onDiscard();
    // The steps played when STOP took effect: what both checks expect
    // before STOP's commands.
    void countStop();
    void takeStartRss();
    // The operator's pause between actions: the source reads each one apart.
    void pause();

    Options m_options;
    QElapsedTimer m_wall;
    double m_virtualMs = 0.0;

    PtyBridge m_bridge;
    SourceModel m_model;
    QtSerialPort m_serial;
    TapPort m_tap;
    std::unique_ptr<Timer> m_timer;
    TextMessages m_messages;
    ScriptedFileDialog m_files;
    NoBusyPointer m_busy;
    std::unique_ptr<frmControl> m_window;

    // What the window's port was given (on the session's thread) against
    // what the source read (on this one).
    mutable std::mutex m_wire;
    bool m_stopPending = false, m_stopCounted = false;
    Ledger m_ledger;
    std::vector<QByteArray> m_beforeRun;
    size_t m_receivedBeforeRun = 0;
    std::optional<ExpectedRun> m_sentCheck, m_sourceCheck;
    Examples m_sourceErrors;
    int m_messageCount = 0;
    bool m_stalled = false;

    double m_runMs = 0.0, m_runWallMs = 0.0;
    double m_stopMs = -1.0, m_stopWallMs = 0.0;
    double m_backlogMs = 0.0;
    qint64 m_bytesInRun = 0;
    QString m_stopReason;
    std::optional<long> m_startRss;
    bool m_startTaken = false;
    double m_nextSampleS = 60.0;
};
