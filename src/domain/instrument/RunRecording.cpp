// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/RunRecording.h"

#include "domain/instrument/RunController.h"
#include "domain/instrument/RunRecorder.h"
#include "domain/instrument/SerialLink.h"
#include "domain/steps/StepTableModel.h"

namespace {
// How a run of the window ended, in the words of the run without one.
QString endingText(const RunController::Ending &ending)
{
    using How = RunController::Ending::How;
    QString text = ending.how == How::Completed ? QStringLiteral("completed")
                   : ending.how == How::Stopped ? QStringLiteral("stopped by STOP")
                                                : QStringLiteral("link failed");
    if (!ending.offDelivered)
        text += QStringLiteral("; off commands not delivered");
    return text + droppedClause(ending.droppedBytes);
}
} // namespace

QString droppedClause(qint64 droppedBytes)
{
    return droppedBytes > 0 ? QStringLiteral("; %1 bytes of commands not yet on the line were dropped, so the "
                                             "last rows did not all reach the instrument")
                                  .arg(droppedBytes)
                            : QString();
}

RunRecording::RunRecording(SerialLink &link, RunController &run, const StepTableModel &steps, QObject *parent)
    : QObject(parent), m_run(run), m_steps(steps)
{
    connect(&link, &SerialLink::commandSent, this, &RunRecording::record);
    connect(&run, &RunController::runStarted, this, [this] {
        if (m_eachRun)
            begin();
        if (m_recorder)
            check(m_recorder->markRun());
    });
    connect(&run, &RunController::stepStarting, this,
            [this](int position) { m_step = m_steps.row(position).label; });
    connect(&run, &RunController::stepPlayed, this, [this] { m_step.clear(); });
    connect(&run, &RunController::stepFailed, this, [this] { m_step.clear(); });
    connect(&run, &RunController::runEnded, this, [this] {
        m_step.clear();
        if (!m_eachRun)
            return;
        setOutcome(endingText(m_run.ending()), m_run.pace().stretchedCount);
        finish();
    });
}

void RunRecording::endByRelease(bool offDelivered)
{
    if (!m_eachRun || !m_run.running())
        return;
    QString text = QStringLiteral("ended by the program's close");
    if (!offDelivered)
        text += QStringLiteral("; off commands not delivered");
    setOutcome(text, m_run.pace().stretchedCount);
    finish();
}

RunRecording::~RunRecording()
{
    finish();
}

void RunRecording::begin()
{
    finish();
    if (m_directory.isEmpty())
        return;
    m_recorder = std::make_unique<RunRecorder>(m_directory);
    if (m_details)
        m_recorder->setDetails(*m_details);
    m_path.clear();
    m_failure.clear();
    if (m_recorder->begin())
        m_path = m_recorder->path();
    else
        check(false);
}

void RunRecording::finish()
{
    if (!m_recorder)
        return;
    check(m_recorder->finish());
    m_recorder.reset();
}

void RunRecording::setOutcome(const QString &outcome, qint64 stretchedSteps)
{
    if (m_recorder)
        m_recorder->setOutcome(outcome, stretchedSteps);
}

void RunRecording::record(const QString &command)
{
    if (m_recorder)
        check(m_recorder->record(command, m_step));
}

void RunRecording::check(bool ok)
{
    if (ok)
        return;
    m_failure = m_recorder->errorText();
    emit failed(QStringLiteral("The run's record cannot be written (") + m_recorder->errorText()
                + QStringLiteral("). The run goes on without it."));
}
