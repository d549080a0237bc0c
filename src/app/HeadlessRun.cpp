// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "app/HeadlessRun.h"

#include "app/FileTools.h"
#include "app/PortMappings.h"
#include "domain/files/FileChecksum.h"
#include "domain/instrument/Commands.h"
#include "domain/instrument/PortText.h"
#include "domain/instrument/RunModes.h"
#include "domain/instrument/RunRecording.h"
#include "domain/instrument/SequencerCore.h"
#include "domain/instrument/SessionThread.h"
#include "domain/ports/RoutedPort.h"
#include "domain/steps/StepText.h"
#include "domain/system/CrashSignals.h"
#include "domain/system/Guardian.h"
#include "domain/system/QtTimer.h"
#include "domain/system/Terminal.h"
#include "domain/system/TerminationSignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QThread>

#include <algorithm>
#ifdef Q_OS_UNIX // SIGTSTP: job control has no Windows counterpart
#include <csignal>
#endif

namespace {
RunRequest runRequest(const HeadlessRunOptions &options)
{
    switch (options.mode) {
    case HeadlessRunOptions::Mode::Continuous: return {RunRequest::Mode::Continuous, {}};
    case HeadlessRunOptions::Mode::Cycle: return {RunRequest::Mode::Cycle, options.cycles};
    case HeadlessRunOptions::Mode::Single: break;
    }
    return {RunRequest::Mode::Single, {}};
}

// The port the run plays on, as the window's port list would name it.
qint16 portNumber(const PortTarget &target)
{
    return target.kind == PortTarget::Kind::Number ? static_cast<qint16>(target.number) : 1;
}

QString portName(const PortTarget &target)
{
    return target.kind == PortTarget::Kind::Number ? QStringLiteral("COM %1").arg(target.number)
                                                   : target.text();
}

// A checked step with a dwell of 0 ms is held until STOP, as the window
// holds it; without a window nobody can press STOP, so the run would never
// end. Position of the first such step, 0 when none.
int firstStepHeldUntilStop(const StepTableModel &steps)
{
    for (int position = 1; position <= steps.count(); ++position) {
        const StepRecord &row = steps.row(position);
        if (row.checked && !(dwellPeriodMs(row.subItem(StepRecord::WorkTime)) > 0))
            return position;
    }
    return 0;
}

QString heldUntilStopMessage(const StepRecord &row, int position)
{
    return row.label + QStringLiteral(" (row ") + QString::number(position)
           + QStringLiteral("): the dwell time \"") + row.subItem(StepRecord::WorkTime)
           + QStringLiteral("\" is 0 ms, which holds the step until STOP, and a run without a"
                            " window has nobody to press it. Give --seconds to end the run."
                            " The program was not run.");
}

// A program whose steps are all unchecked plays nothing and waits for STOP,
// as in the window. An empty table ends at once and is not held.
bool waitsForStop(const StepTableModel &steps)
{
    if (steps.count() == 0)
        return false;
    for (int position = 1; position <= steps.count(); ++position)
        if (steps.row(position).checked)
            return false;
    return true;
}

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}
} // namespace

void HeadlessRun::tell(const QString &line)
{
    // The same message twice in a row (the link lost, then the close path
    // finding the port gone) is said once.
    if (line != m_lastMessage) {
        endProgressLine();
        // Names and labels in a message come from files: shown, never acted on.
        print(stderr, StepText::escapeControls(line) + QLatin1Char('\n'));
    }
    m_lastMessage = line;
}

HeadlessRun::HeadlessRun(const HeadlessRunOptions &options, SerialPort &port, Timer &timer, CrashGuard *crash,
                         QObject *parent)
    : QObject(parent), m_options(options), m_session(port, timer, crash)
{
    // The session, the port and the timer on a thread of their own, as in
    // the window.
    m_sessionThread = std::make_unique<SessionThread>(
        m_session, QList<QObject *>{dynamic_cast<QObject *>(&port), dynamic_cast<QObject *>(&timer)});
    m_session.setPortName(portName(options.port));
    connect(&m_session, &InstrumentSession::message, this,
            [this](const QString &text) { m_messages.show(text, {}, {}, {}, {}); });
    connect(&m_session, &InstrumentSession::recordFailed, this,
            [this](const QString &message) { m_messages.show(message, {}, {}, {}, {}); });
    // After the "not available" message, the reason the port gives.
    connect(&m_session, &InstrumentSession::portOpenTried, this,
            [this](const QString &entry, bool opened, const QString &failure) {
                if (!opened && !failure.isEmpty())
                    tell(QStringLiteral("quorra: %1 could not be opened: %2").arg(entry, failure));
            });
    connect(&m_session, &InstrumentSession::runStarted, this, [this] { m_since.start(); });
    connect(&m_session, &InstrumentSession::stepPlayed, this, [this](int position, const RunState &state) {
        ++m_played;
        m_position = position;
        m_stepSince.start();
        m_stepLeftMs = m_plan ? m_plan->leftFrom(position, state.CyclesLeft) : -1;
        // Short steps do not each cost a write to the terminal.
        if (!m_drawn.isValid() || m_drawn.elapsed() >= 100)
            drawProgress();
    });
    connect(&m_session, &InstrumentSession::runEnded, this, &HeadlessRun::runEnded);

    m_limit.setSingleShot(true);
    m_limit.setTimerType(Qt::PreciseTimer);
    connect(&m_limit, &QTimer::timeout, this, [this] {
        if (m_session.running()) {
            m_stoppedByLimit = true;
            m_session.stop(); // STOP
        }
    });
    connect(&m_progress, &QTimer::timeout, this, &HeadlessRun::drawProgress);
}

HeadlessRun::~HeadlessRun() = default;

std::optional<int> HeadlessRun::prepare()
{
    if (!readProgramForTool(m_options.file, m_steps, &m_messages))
        return Refused;
    if (m_steps.count() == 0) {
        m_messages.show(m_options.file + QStringLiteral(" holds no steps. The program was not run."), {}, {},
                        {}, {});
        return Refused;
    }
    if (!m_options.seconds) {
        if (const int held = firstStepHeldUntilStop(m_steps)) {
            m_messages.show(heldUntilStopMessage(m_steps.row(held), held), {}, {}, {}, {});
            return Refused;
        }
        if (waitsForStop(m_steps)) {
            m_messages.show(QStringLiteral("No step is checked: the run waits for STOP, and a run without a"
                                           " window has nobody to press it. Give --seconds to end the run."
                                           " The program was not run."),
                            {}, {}, {}, {});
            return Refused;
        }
    }
    m_plan = std::make_unique<RunPlan>(m_steps);
    const QString file = QFileInfo(m_options.file).absoluteFilePath();
    m_session.setRecordDetails({portName(m_options.port), m_options.baud, file, fileSha256(file)});
    return std::nullopt;
}

void HeadlessRun::start()
{
    m_session.beginRecord();
    m_session.applyBaud(m_options.baud);

    // Start-up: the port opens and Local is chosen (":SYST:LOC ", port
    // closed); then the operator chooses Remote (":SYST:REM ", port open).
    if (m_session.probe({portNumber(m_options.port)}) < 0) {
        m_session.tellNotAvailable();
        finish(openFailedStatus());
        return;
    }
    if (m_session.setRemote(false) != InstrumentSession::LinkResult::Done) {
        finish(LinkFailed);
        return;
    }
    // A signal while Local's close waited for the server: the instrument is
    // in local operation and nothing of the run went out, so it ends as the
    // signal asks, without taking the instrument under remote control first.
    if (const int signalNumber = TerminationSignals::requestedSignal(); signalNumber != 0) {
        finish(128 + signalNumber);
        return;
    }
    switch (m_session.setRemote(true)) {
    case InstrumentSession::LinkResult::Done: break;
    case InstrumentSession::LinkResult::NotOpened: finish(openFailedStatus()); return;
    case InstrumentSession::LinkResult::NotSent:
        releaseInstrument();
        finish(LinkFailed);
        return;
    }
    pressRun();
}

void HeadlessRun::pressRun()
{
    if (m_done)
        return; // a signal came meanwhile
    // In the window RUN comes long after Remote, on an idle line. Here it
    // would follow at once, and its commands would queue behind Remote's:
    // the first step would reach the instrument late while its dwell
    // counted from RUN, and be cut short. RUN waits for the line instead.
    if (const int pendingMs = m_session.pendingMs(); pendingMs > 0) {
        QTimer::singleShot(pendingMs, Qt::PreciseTimer, this, &HeadlessRun::pressRun);
        return;
    }
    if (m_options.seconds)
        m_limit.start(static_cast<int>(*m_options.seconds * 1000));
    if (m_showProgress)
        m_progress.start(200);
    const InstrumentSession::Refusal refused = m_session.start(runRequest(m_options), m_steps.rows());
    if (refused.reason != InstrumentSession::Refusal::Reason::None) {
        // The port is checked again by RUN; the steps were checked before.
        if (!refused.message.isEmpty())
            m_messages.show(refused.message, {}, {}, {}, {});
        releaseInstrument();
        finish(refused.reason == RunController::Refusal::Reason::PortUnavailable ? LinkFailed : Refused);
        return;
    }
    // An empty table: RUN plays nothing, as in the window.
    if (!m_session.running() && !m_done && m_duration < 0) {
        m_duration = 0;
        releaseInstrument();
        finish(Done);
    }
}

void HeadlessRun::runEnded(const QString &message)
{
    m_duration = m_since.isValid() ? m_since.elapsed() : 0;
    m_limit.stop();
    if (!message.isEmpty()) {
        m_lost = true;
        m_messages.show(message, {}, {}, {}, {});
    }
    // Closing the window comes once the run's own handler has returned.
    QTimer::singleShot(0, this, [this] {
        if (m_done)
            return;
        releaseInstrument();
        finish(m_lost ? LinkFailed : Done);
    });
}

// A connect given up for a termination signal ends as the signal does;
// nothing was under remote control yet, so nothing is sent.
int HeadlessRun::openFailedStatus() const
{
    const int signalNumber = TerminationSignals::requestedSignal();
    return signalNumber != 0 ? 128 + signalNumber : LinkFailed;
}

void HeadlessRun::terminate(int signalNumber)
{
    if (m_done)
        return;
    if (m_session.running() && m_since.isValid())
        m_duration = m_since.elapsed();
    releaseInstrument();
    finish(128 + signalNumber);
}

void HeadlessRun::suspend()
{
#ifdef Q_OS_UNIX // Ctrl+Z: a Windows console has no job control, so no suspend
    if (m_done) {
        TerminationSignals::suspendProcess();
        return;
    }
    if (m_session.running()) {
        if (m_since.isValid())
            m_duration = m_since.elapsed();
        m_session.stop(); // STOP: ":SOUR:TURN OFF", ":OUTP OFF"
    }
    // A suspended process moves nothing from its own buffers to the line.
    QElapsedTimer waited;
    waited.start();
    for (int pendingMs; (pendingMs = m_session.pendingMs()) > 0 && waited.elapsed() < 2000;)
        QThread::msleep(static_cast<unsigned long>(std::min(pendingMs, 20)));
    endProgressLine();
    TerminationSignals::suspendProcess();
    releaseInstrument();
    finish(128 + SIGTSTP);
#endif
}

void HeadlessRun::releaseInstrument()
{
    if (!m_session.release())
        m_offUndelivered = true;
}

void HeadlessRun::finish(int status)
{
    if (m_done)
        return;
    m_done = true;
    // A run whose off commands may not have reached the instrument did not
    // end well, however it ended.
    if (m_offUndelivered && status == Done)
        status = LinkFailed;
    m_limit.stop();
    m_progress.stop();
    QString outcome = QStringLiteral("completed");
    if (status == LinkFailed)
        outcome = QStringLiteral("link failed");
    else if (status == Refused)
        outcome = QStringLiteral("refused");
    else if (status > 128)
        outcome = QStringLiteral("ended by signal %1").arg(status - 128);
    else if (m_stoppedByLimit)
        outcome = QStringLiteral("stopped after --seconds");
    if (m_offUndelivered)
        outcome += QStringLiteral("; off commands not delivered");
    outcome += droppedClause(m_session.ending().droppedBytes);
    m_session.finishRecord(outcome, m_session.pace().stretchedCount);
    endProgressLine();
    printSummary();
    if (m_offUndelivered && m_duration < 0)
        tell(offUndeliveredMessage(portName(m_options.port)));
    emit finished(status);
}

void HeadlessRun::drawProgress()
{
    if (!m_showProgress || !m_session.running() || m_position < 1)
        return;
    const RunState state = m_session.state();
    const qint32 cycles = m_options.mode == HeadlessRunOptions::Mode::Continuous ? 0 : state.RunCycles;
    const qint64 left = m_stepLeftMs < 0 ? -1 : qMax<qint64>(0, m_stepLeftMs - m_stepSince.elapsed());
    const QString line = progressLine(m_steps.row(m_position).label, m_position, state.StepTotal,
                                      state.RunCycles - state.CyclesLeft + 1, cycles, m_since.elapsed(), left);
    // Back to the line's start, and clear what a longer line left.
    print(stdout, QLatin1Char('\r') + line + QStringLiteral("\x1b[K"));
    m_lineDrawn = true;
    m_drawn.start();
}

void HeadlessRun::endProgressLine()
{
    if (!m_lineDrawn)
        return;
    m_lineDrawn = false;
    print(stdout, QStringLiteral("\n"));
}

void HeadlessRun::printSummary()
{
    if (m_duration < 0)
        return; // never got to RUN
    QString text = QStringLiteral("Steps played: %1\nDuration: %2 s\nStretched steps: %3\n")
                       .arg(m_played)
                       .arg(QString::number(static_cast<double>(m_duration) / 1000.0, 'f', 3))
                       .arg(m_session.pace().stretchedCount);
    // The directory comes from the command line or the settings: shown, never acted on.
    const QString record = StepText::escapeControls(
        QDir::toNativeSeparators(QFileInfo(m_session.recordPath()).absoluteFilePath()));
    const QString failure = StepText::escapeControls(m_session.recordFailure());
    // A record that lost rows, or was never made, is not passed off as whole.
    if (!failure.isEmpty())
        text += (m_session.recordPath().isEmpty() ? QStringLiteral("Record not written")
                                                  : QStringLiteral("Record incomplete: ") + record)
                + QStringLiteral(" (") + failure + QStringLiteral(")\n");
    else if (!m_session.recordPath().isEmpty())
        text += QStringLiteral("Record: ") + record + QLatin1Char('\n');
    if (m_offUndelivered)
        text += StepText::escapeControls(offUndeliveredMessage(portName(m_options.port))) + QLatin1Char('\n');
    print(stdout, text);
}

int runHeadless(const ProgramOptions &options, const QSettings *settings,
                const std::function<void(const QString &recordPath)> &afterRecord)
{
    PortMappings mappings = applyPortMappings(options, settings);
    for (const QString &warning : mappings.warnings)
        print(stderr, QStringLiteral("quorra: ") + warning + QLatin1Char('\n'));
    const HeadlessRunOptions &run = *options.run;
    // A port given as a device or a serial server is this run's COM 1.
    if (run.port.kind != PortTarget::Kind::Number)
        mappings.map.set(1, run.port);

    RoutedPort port;
    QtTimer timer;
    CrashSignals crash;
    crash.install();
    HeadlessRun headless(run, port, timer, &crash);
    // Said on the main thread; the guardian's watch runs on one of its own.
    Guardian guardian(Guardian::installedProgram(), [&headless](const QString &text) {
        QMetaObject::invokeMethod(
            &headless, [&headless, text] { headless.say(QStringLiteral("quorra: ") + text); },
            Qt::QueuedConnection);
    });
    headless.setPortMap(mappings.map);
    QString directory = run.recordDirectory;
    if (directory.isEmpty() && settings)
        directory = settings->value(QStringLiteral("Record/Directory")).toString();
    headless.setRecordDirectory(directory);
    headless.setShowProgress(isTerminal(stdout));
    if (const std::optional<int> refused = headless.prepare())
        return *refused;

    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::terminationRequested, &headless,
                     &HeadlessRun::terminate);
    QObject::connect(&terminations, &TerminationSignals::suspendRequested, &headless, &HeadlessRun::suspend);
    terminations.installSuspend();
    // Queued: the status is kept even when the run ends before exec() starts.
    QObject::connect(
        &headless, &HeadlessRun::finished, QCoreApplication::instance(),
        [](int status) { QCoreApplication::exit(status); }, Qt::QueuedConnection);
    QTimer::singleShot(0, &headless, &HeadlessRun::start);
    const int status = QCoreApplication::exec();
    if (afterRecord && !headless.recordPath().isEmpty())
        afterRecord(headless.recordPath());
    return status;
}
