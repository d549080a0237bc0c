// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "app/CommandLine.h"
#include "app/RunProgress.h"
#include "domain/instrument/InstrumentSession.h"
#include "domain/steps/StepTableModel.h"
#include "domain/ui/TextMessages.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

class CrashGuard;
class SessionThread;
class QSettings;
class SerialPort;
class Timer;

// quorra --run: plays a step file with no window, as the session's other
// front end. It asks the session for what an operator does in the window:
// start-up's probe and Local (":SYST:LOC "), Remote (":SYST:REM "), RUN in
// the chosen run mode, STOP after the time limit, and the release on
// closing (":SOUR:TURN OFF", ":OUTP OFF", ":SYST:LOC "). Messages go to
// standard error in the window's words; progress and the summary to
// standard output.
class HeadlessRun : public QObject
{
    Q_OBJECT
public:
    // Exit statuses.
    static constexpr int Done = 0;
    static constexpr int LinkFailed = 1;
    static constexpr int Refused = 2;

    HeadlessRun(const HeadlessRunOptions &options, SerialPort &port, Timer &timer, CrashGuard *crash = nullptr,
                QObject *parent = nullptr);
    ~HeadlessRun() override;

    // What the port numbers connect to; before prepare().
    void setPortMap(const PortMap &map) { m_session.setPortMap(map); }
    // Where the record goes; empty: none.
    void setRecordDirectory(const QString &directory) { m_session.setRecordDirectory(directory); }
    // The record's CSV file once begun; empty when none.
    QString recordPath() const { return m_session.recordPath(); }
    // Progress line rewritten in place (standard output is a terminal).
    void setShowProgress(bool show) { m_showProgress = show; }

    // Reads the file and checks its steps, before anything is sent: an exit
    // status when the run cannot go on.
    std::optional<int> prepare();
    // Start-up, Remote and RUN. The run goes on in the event loop.
    void start();
    // A termination signal: no further step, the close path, 128 + n.
    void terminate(int signalNumber);
    // Ctrl+Z: a run suspended would hold the output on, so the run is
    // stopped as STOP stops it and its off commands leave the line first;
    // then the process is suspended. Continued, it takes the close path
    // and ends with 128 + SIGTSTP.
    void suspend();
    // A line on standard error, after the progress line.
    void say(const QString &line) { tell(line); }

signals:
    void finished(int exitStatus);

private:
    int openFailedStatus() const;

    // RUN, once Remote's command has left the line.
    void pressRun();
    void runEnded(const QString &message);
    void releaseInstrument();
    void finish(int status);
    void tell(const QString &line);
    void drawProgress();
    void endProgressLine();
    void printSummary();

    HeadlessRunOptions m_options;
    // Standard error, in the window's words; the same message twice in a
    // row is said once.
    TextMessages m_messages{[this](const QString &line) { tell(line); }, TextMessages::Caption::Left};
    QString m_lastMessage;
    StepTableModel m_steps; // as read from the file
    InstrumentSession m_session;
    std::unique_ptr<SessionThread> m_sessionThread; // ends before the session goes
    std::unique_ptr<RunPlan> m_plan;
    QTimer m_limit;            // --seconds: STOP
    QTimer m_progress;         // redraws the progress line
    QElapsedTimer m_since;     // from RUN
    QElapsedTimer m_stepSince; // from the step being played
    QElapsedTimer m_drawn;     // from the last progress line
    qint64 m_duration = -1;    // RUN to the end of the run
    int m_position = 0;        // the step being played
    qint64 m_stepLeftMs = -1;  // the run's time left when it started
    qint64 m_played = 0;
    bool m_showProgress = false;
    bool m_lineDrawn = false;
    bool m_lost = false;
    bool m_offUndelivered = false; // the release's off commands may not have left
    bool m_done = false;
    bool m_stoppedByLimit = false;
};

// The whole of quorra --run: the port mappings and the record directory
// from the settings (the command line first), the real port and timer, the
// termination signals, and the event loop of the QCoreApplication that
// must exist. Returns the exit status. afterRecord, when given, is called
// with the record's CSV file once the run has ended, whatever its status.
int runHeadless(const ProgramOptions &options, const QSettings *settings,
                const std::function<void(const QString &recordPath)> &afterRecord = {});
