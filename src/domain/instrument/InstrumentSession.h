// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/instrument/RunController.h"
#include "domain/instrument/RunModes.h"
#include "domain/instrument/RunRecorder.h"
#include "domain/instrument/RunRecording.h"
#include "domain/instrument/SerialLink.h"
#include "domain/ports/PortMap.h"
#include "domain/steps/StepTableModel.h"
#include "domain/system/ThreadCall.h"
#include "domain/ui/MessageBox.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <atomic>
#include <optional>
#include <type_traits>
#include <vector>

class CrashGuard;
class SerialPort;
class Timer;

// The instrument as an operator works it: the serial link, the run of a
// step program with its record, the crash guard, and whether the
// instrument is under remote control. The operator's actions are its
// calls; what happens is told by its signals. The window and the run
// without a window are its front ends: they read their controls or their
// arguments, call the session and show what it reports, and hold no
// sequence of their own.
//
// The session plays the program from its own copy of the table (given to
// start() and kept up to date by updateStep()), and lives on a thread of its
// own (SessionThread) where nothing a window does delays a step. Every call
// may come from any thread: it is carried out on the session's, the caller
// waiting for its result, and the signals reach a front end on another
// thread queued, in the order they were raised. A window that must not wait
// on the line (a connect, a close that drains) asks through request()
// instead and hears the end as a queued call.
class InstrumentSession : public QObject
{
    Q_OBJECT
public:
    using Refusal = RunController::Refusal;
    // How an action on the link went; its message has been raised already.
    enum class LinkResult {
        Done,
        NotOpened, // the port would not open
        NotSent,   // the command could not be written
    };

    InstrumentSession(SerialPort &port, Timer &timer, CrashGuard *crash = nullptr, QObject *parent = nullptr);
    ~InstrumentSession() override;

    // --- configuration -------------------------------------------------------
    // What the port numbers connect to (the command line's and the
    // settings' mappings, a demo's pseudo-terminal). The port follows it
    // from its next opening on; an open port stays as it is until then.
    void setPortMap(const PortMap &map);
    PortMap portMap() const;
    // The port list's entry as the operator sees it: the "not available"
    // message names it.
    void setPortName(const QString &entry);
    // Where records go (empty: none); each RUN may begin its own.
    void setRecordDirectory(const QString &directory);
    void setRecordEachRun(bool each);
    // What a record's side file says about the run (port, baud, step file).
    void setRecordDetails(const RunRecorder::RunDetails &details);

    // --- the operator's actions ----------------------------------------------
    // Start-up's probe: the ports in turn, silently; the first that opens
    // stays open. Its index, or -1 when none opens.
    int probe(const QList<qint16> &ports);
    // Another port from the list ("COM 2"): the open one closes, the new
    // one opens (or says it is not available).
    void choosePort(const QString &entry);
    // "<baud>,n,8,1", at once on an open port.
    void applyBaud(const QString &baud);
    // Remote: the port opens and ":SYST:REM " goes out. Local:
    // ":SYST:LOC " goes out and the port closes. Either stops the
    // sequencer's ticks; a run in progress stays as it is. The crash guard
    // follows: armed under remote control only.
    LinkResult setRemote(bool remote);
    bool remote() const;
    // Reset: "*RST", the port tried again first if it is closed.
    LinkResult reset();
    // RUN on a copy of the table. Does nothing while a run goes on.
    Refusal start(const RunRequest &request, std::vector<StepRecord> steps);
    // STOP; nothing when no run goes on.
    void stop();
    // A row of the table changed during a run: its next play uses the new
    // texts.
    void updateStep(int position, const StepRecord &row);
    // Closing under remote control: no further step, the commands not yet
    // on the line dropped, the output off, the instrument back to local
    // operation, the port closed and the crash guard disarmed. Nothing
    // under local control. Returns false when the off commands may not have
    // reached the instrument: the port did not open, a write failed, or the
    // close saw the far end take none of them.
    bool release();
    // No further tick; a run in progress stays as it is.
    void stopTicks();
    // What a tick of the timer does: the line's pace, then the sequencer.
    void timerTick();
    // The "not available" message, as an action that needs the port says it,
    // then portOpenTried with the port's reason.
    void tellNotAvailable();

    // --- a record from the first command to the last (a run without a window)
    void beginRecord();
    void finishRecord(const QString &outcome, qint64 stretchedSteps);
    QString recordPath() const;
    QString recordFailure() const;

    // --- where things stand --------------------------------------------------
    bool running() const;
    RunState state() const;
    StepPace pace() const;
    // How the last run ended.
    RunController::Ending ending() const;
    // Milliseconds the commands already written still need on the line.
    int pendingMs() const;
    // During a run, the step whose commands went out last and the period
    // the timer was armed with after them (0: held until STOP).
    struct PlayingStep
    {
        QString label;
        int armedMs = 0;
    };
    std::optional<PlayingStep> playingStep() const;

    // Runs f on the session's thread and returns its result: at once when
    // called there, otherwise waiting for it.
    template <typename F>
    auto onSessionThread(F &&f) const -> std::invoke_result_t<F>;

    // --- work asked without waiting ------------------------------------------
    // Queues work(session) on the session's thread and returns at once; then
    // done(result) is queued to context's thread, after the signals the work
    // raised. Requests are carried out in the order they were made. context
    // must outlive the session's thread.
    template <typename Work, typename Done>
    void request(QObject *context, Work work, Done done);
    // From any thread: the requests made until now give up their opens,
    // silently: a connect under way at its next slice, one not begun yet at
    // once. Later requests open as usual.
    void abandonRequests() { m_abandonedUpTo = m_requested.load(); }

signals:
    // A message for the operator, under the application's title.
    void message(const QString &text);
    void runStarted();
    // A step's commands went out; state is the run as the step left it.
    void stepPlayed(int position, const RunState &state);
    // The line held a step past its dwell: heldMs in all instead of dwellMs.
    void stepHeld(int position, int heldMs, int dwellMs);
    // A step's commands could not all be written; the run ends next.
    void stepFailed(int position);
    // The run ended; message is what the operator must be told, if anything.
    void runEnded(const QString &message, const StepPace &pace);
    // The record cannot be written; the run goes on without it.
    void recordFailed(const QString &message);
    // The port of the list entry opened, or could not (after the "not
    // available" message), and why (empty when the port cannot tell).
    void portOpenTried(const QString &entry, bool opened, const QString &failure);

private:
    // The link's messages become the session's signal.
    class Messages : public MessageBox
    {
    public:
        explicit Messages(InstrumentSession &session) : m_session(session) {}
        Answer show(const QString &text, Buttons, Icon, const QString &, Answer defaultButton) override
        {
            emit m_session.message(text);
            return defaultButton;
        }

    private:
        InstrumentSession &m_session;
    };

    // Sends a command; when the port refuses it, a run in progress ends as
    // a lost link ends it, and otherwise the operator is told.
    bool sendOrReport(const QString &command);
    void armCrashGuard(bool remote);

    SerialPort &m_port;
    CrashGuard *m_crash;
    Messages m_messages{*this};
    StepTableModel m_steps; // the run's copy of the table
    SerialLink m_link;
    RunController m_run;
    RunRecording m_recording;
    bool m_remote = false;
    PortMap m_portMap;                       // as given to m_port
    std::atomic<quint64> m_requested{0};     // requests made
    std::atomic<quint64> m_abandonedUpTo{0}; // requests given up
    quint64 m_request = 0;                   // the request being carried out, 0 for none
};

template <typename F>
auto InstrumentSession::onSessionThread(F &&f) const -> std::invoke_result_t<F>
{
    return callOnThreadOf(*this, std::forward<F>(f));
}

template <typename Work, typename Done>
void InstrumentSession::request(QObject *context, Work work, Done done)
{
    const quint64 ticket = ++m_requested;
    QMetaObject::invokeMethod(
        this,
        [this, ticket, context, work = std::move(work), done = std::move(done)]() mutable {
            m_request = ticket;
            if constexpr (std::is_void_v<std::invoke_result_t<Work &, InstrumentSession &>>) {
                work(*this);
                m_request = 0;
                QMetaObject::invokeMethod(context, std::move(done), Qt::QueuedConnection);
            } else {
                auto result = work(*this);
                m_request = 0;
                QMetaObject::invokeMethod(
                    context, [done = std::move(done), result = std::move(result)]() mutable { done(result); },
                    Qt::QueuedConnection);
            }
        },
        Qt::QueuedConnection);
}

Q_DECLARE_METATYPE(RunState)
Q_DECLARE_METATYPE(StepPace)
