// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/instrument/RunState.h"
#include "domain/instrument/StepPace.h"

#include <QObject>
#include <QString>

class SerialLink;
class StepTableModel;
class Timer;
struct RunRequest;

// A run of the step table: RUN starts it, the timer's ticks play the
// checked steps one dwell after another, and it ends at the end of its
// cycles, by STOP, or when the link fails. It is the one place where a run
// ends. It knows no front end: what the operator sees follows its signals.
class RunController : public QObject
{
    Q_OBJECT
public:
    // Why RUN did not start a run.
    struct Refusal
    {
        enum class Reason {
            None,            // started, or nothing to play
            PortUnavailable, // the link has shown its "not available" message already
            CycleCount,      // the cycle field holds no count: message is the range message
            StepValue,       // a checked step cannot be played or sent: message names it
        };
        Reason reason = Reason::None;
        QString message;
    };

    // Takes the timer's ticks for as long as it lives.
    RunController(Timer &timer, SerialLink &link, const StepTableModel &steps, QObject *parent = nullptr);
    ~RunController() override;

    bool running() const { return m_running; }
    const RunState &state() const { return m_run; }
    // The counters themselves, for a test that puts a run where a very
    // long one would be.
    RunState &state() { return m_run; }
    // The period the timer is armed with; 0 when no tick will come.
    int armedMs() const;
    // Steps the line held past their dwell in this run (or the last one).
    const StepPace &pace() const { return m_pace; }

    // How the last run ended, for its record.
    struct Ending
    {
        enum class How { Completed, Stopped, LinkFailed };
        How how = How::Completed;
        bool offDelivered = true; // ":SOUR:TURN OFF" and ":OUTP OFF" were written
        qint64 droppedBytes = 0;  // of commands STOP dropped before they left; -1: not counted
    };
    const Ending &ending() const { return m_ending; }

    // RUN: checks the mode's cycle count and every checked step, sets the
    // run state, switches the output on and plays the first checked step.
    Refusal start(const RunRequest &request);
    // RUN's checks of the checked steps alone: a dwell the timer cannot
    // hold, or a value that cannot go out as it stands.
    static Refusal checkSteps(const StepTableModel &steps);
    // STOP: the commands of steps not yet on the line are dropped, then the
    // run ends as at its end, so that the output goes off next.
    void stop();
    // One call of the sequencer: ends the run, rewinds, or plays the next
    // checked step and arms the timer with its dwell.
    void tick();
    // A timer tick: while the last step's commands have not left, the step
    // is held for the line instead of the sequencer being called.
    void timerTick();
    // A command could not be written during a run, or the link dropped: the
    // run ends as STOP ends it, without sending on the dead link, and the
    // operator is told once. Does nothing when no run is in progress.
    void linkLost();
    // Stops the ticks; a run in progress stays as it is.
    void stopTicks();
    // Closing under remote operation: no further step, the commands not yet
    // on the line dropped if a run is going, the output off, the instrument
    // back to local operation, the port closed. A failed write does not
    // stop the ones after it. False when the commands may not have left.
    bool releaseInstrument();

signals:
    void runStarted();
    // A step's commands are about to go out.
    void stepStarting(int position);
    // A step went out; the next tick comes one dwell from now.
    void stepPlayed(int position);
    // A step's commands could not all be written; the run ends next.
    void stepFailed(int position);
    // The line held a step past its dwell: heldMs in all instead of dwellMs.
    void stepHeld(int position, int heldMs, int dwellMs);
    // The run ended; message is what the operator must be told, if anything.
    void runEnded(const QString &message);

private:
    // The end of a run, by STOP or by the sequencer: timer off,
    // ":SOUR:TURN OFF", ":OUTP OFF". When the output could not be switched
    // off the operator is told, once.
    void finish(Ending::How how, qint64 droppedBytes = 0);
    bool holdForLine();
    int finishHold();

    Timer &m_timer;
    SerialLink &m_link;
    const StepTableModel &m_steps;
    RunState m_run;
    StepPace m_pace;
    Ending m_ending;
    bool m_running = false;
};
