// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/InstrumentSession.h"

#include "domain/instrument/Commands.h"
#include "domain/instrument/SendableSteps.h"
#include "domain/ports/SerialPort.h"
#include "domain/system/CrashGuard.h"

InstrumentSession::InstrumentSession(SerialPort &port, Timer &timer, CrashGuard *crash, QObject *parent)
    : QObject(parent), m_port(port), m_crash(crash), m_link(port, m_messages), m_run(timer, m_link, m_steps),
      m_recording(m_link, m_run, m_steps)
{
    qRegisterMetaType<RunState>();
    qRegisterMetaType<StepPace>();
    // The parts are the session's children, so that they move to its thread
    // with it.
    m_steps.setParent(this);
    m_link.setParent(this);
    m_run.setParent(this);
    m_recording.setParent(this);

    connect(&m_run, &RunController::runStarted, this, &InstrumentSession::runStarted);
    connect(&m_run, &RunController::stepPlayed, this,
            [this](int position) { emit stepPlayed(position, m_run.state()); });
    connect(&m_run, &RunController::stepHeld, this, &InstrumentSession::stepHeld);
    connect(&m_run, &RunController::stepFailed, this, &InstrumentSession::stepFailed);
    connect(&m_run, &RunController::runEnded, this,
            [this](const QString &text) { emit runEnded(text, m_run.pace()); });
    connect(&m_recording, &RunRecording::failed, this, &InstrumentSession::recordFailed);
    connect(&m_link, &SerialLink::portOpenTried, this, &InstrumentSession::portOpenTried);
    // The ports tell the crash path where its bytes go.
    m_port.setCrashGuard(crash);
    m_link.setOpenAbandoned([this] { return m_request != 0 && m_request <= m_abandonedUpTo.load(); });
}

// The parts, though children, are members: each leaves the session as it
// is destroyed, before the QObject base could delete it.
InstrumentSession::~InstrumentSession() = default;

void InstrumentSession::setPortMap(const PortMap &map)
{
    onSessionThread([&] {
        m_portMap = map;
        m_port.setPortMap(map);
    });
}

PortMap InstrumentSession::portMap() const
{
    return onSessionThread([&] { return m_portMap; });
}

void InstrumentSession::setPortName(const QString &entry)
{
    onSessionThread([&] { m_link.setPortName(entry); });
}

void InstrumentSession::setRecordDirectory(const QString &directory)
{
    onSessionThread([&] { m_recording.setDirectory(directory); });
}

void InstrumentSession::setRecordEachRun(bool each)
{
    onSessionThread([&] { m_recording.setRecordEachRun(each); });
}

void InstrumentSession::setRecordDetails(const RunRecorder::RunDetails &details)
{
    onSessionThread([&] { m_recording.setDetails(details); });
}

int InstrumentSession::probe(const QList<qint16> &ports)
{
    return onSessionThread([&] {
        for (int i = 0; i < ports.size(); ++i) {
            if (m_link.tryPort(ports[i]))
                return i;
        }
        return -1;
    });
}

void InstrumentSession::choosePort(const QString &entry)
{
    onSessionThread([&] { m_link.choosePort(entry); });
}

void InstrumentSession::applyBaud(const QString &baud)
{
    onSessionThread([&] { m_link.applyBaud(baud); });
}

InstrumentSession::LinkResult InstrumentSession::setRemote(bool remote)
{
    return onSessionThread([&] {
        m_remote = remote;
        m_run.stopTicks();
        // Local after a Remote whose connect was given up: nothing went out
        // since the last Local, so there is nothing to hand back.
        if (!remote && !m_port.PortOpen() && m_link.lastOpenAbandoned()) {
            armCrashGuard(false);
            return LinkResult::Done;
        }
        LinkResult result = LinkResult::NotOpened;
        if (m_link.ensureOpen()) {
            result = sendOrReport(remote ? Command::Remote : Command::Local) ? LinkResult::Done
                                                                             : LinkResult::NotSent;
            if (!remote)
                m_link.close();
        }
        armCrashGuard(remote);
        return result;
    });
}

bool InstrumentSession::remote() const
{
    return onSessionThread([&] { return m_remote; });
}

InstrumentSession::LinkResult InstrumentSession::reset()
{
    return onSessionThread([&] {
        // RUN and Reset stay enabled when another port failed to open under
        // Remote; the port is tried again rather than written to while closed.
        if (!m_link.ensureOpen())
            return LinkResult::NotOpened;
        return sendOrReport(Command::Reset) ? LinkResult::Done : LinkResult::NotSent;
    });
}

InstrumentSession::Refusal InstrumentSession::start(const RunRequest &request, std::vector<StepRecord> steps)
{
    return onSessionThread([&] {
        if (m_run.running())
            return Refusal{};
        m_steps.replaceAll(std::move(steps));
        return m_run.start(request);
    });
}

void InstrumentSession::stop()
{
    onSessionThread([&] {
        if (m_run.running())
            m_run.stop();
    });
}

void InstrumentSession::updateStep(int position, const StepRecord &row)
{
    onSessionThread([&] {
        if (!m_run.running() || position < 1 || position > m_steps.count())
            return;
        // What RUN would refuse to send is never sent: the step editor
        // refuses such a row, and one that comes here all the same keeps
        // the texts the run started with.
        if (row.checked && unsendableValueOf(row, position).position)
            return;
        m_steps.setRow(position, row);
    });
}

bool InstrumentSession::release()
{
    return onSessionThread([&] {
        if (!m_remote)
            return true;
        const bool delivered = m_run.releaseInstrument();
        m_recording.endByRelease(delivered);
        // Handed back: a second release has nothing to do.
        m_remote = false;
        armCrashGuard(false);
        return delivered;
    });
}

void InstrumentSession::stopTicks()
{
    onSessionThread([&] { m_run.stopTicks(); });
}

void InstrumentSession::timerTick()
{
    onSessionThread([&] { m_run.timerTick(); });
}

void InstrumentSession::tellNotAvailable()
{
    onSessionThread([&] { m_link.tellOpenFailed(); });
}

void InstrumentSession::beginRecord()
{
    onSessionThread([&] { m_recording.begin(); });
}

void InstrumentSession::finishRecord(const QString &outcome, qint64 stretchedSteps)
{
    onSessionThread([&] {
        m_recording.setOutcome(outcome, stretchedSteps);
        m_recording.finish();
    });
}

QString InstrumentSession::recordPath() const
{
    return onSessionThread([&] { return m_recording.path(); });
}

QString InstrumentSession::recordFailure() const
{
    return onSessionThread([&] { return m_recording.failure(); });
}

bool InstrumentSession::running() const
{
    return onSessionThread([&] { return m_run.running(); });
}

RunState InstrumentSession::state() const
{
    return onSessionThread([&] { return m_run.state(); });
}

StepPace InstrumentSession::pace() const
{
    return onSessionThread([&] { return m_run.pace(); });
}

RunController::Ending InstrumentSession::ending() const
{
    return onSessionThread([&] { return m_run.ending(); });
}

int InstrumentSession::pendingMs() const
{
    return onSessionThread([&] { return m_link.pendingMs(); });
}

bool InstrumentSession::sendOrReport(const QString &command)
{
    const bool running = m_run.running();
    if (m_link.send(command))
        return true;
    if (running)
        m_run.linkLost(); // does nothing if the lost link has ended it already
    else
        m_link.showNotAvailable();
    return false;
}

void InstrumentSession::armCrashGuard(bool remote)
{
    // A crash under remote operation sends the release commands, after a CR
    // that ends any command cut short.
    if (m_crash)
        m_crash->setCrashOutput(remote ? Command::crashRelease() : QByteArray());
}

std::optional<InstrumentSession::PlayingStep> InstrumentSession::playingStep() const
{
    return onSessionThread([&]() -> std::optional<PlayingStep> {
        const int position = m_run.state().LastSentStep;
        if (!m_run.running() || position < 1 || position > m_steps.count())
            return std::nullopt;
        return PlayingStep{m_steps.row(position).label, m_run.armedMs()};
    });
}
