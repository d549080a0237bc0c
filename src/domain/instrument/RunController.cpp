// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/RunController.h"

#include "domain/instrument/Commands.h"
#include "domain/instrument/RunModes.h"
#include "domain/instrument/SendableSteps.h"
#include "domain/instrument/SequencerCore.h"
#include "domain/instrument/SerialLink.h"
#include "domain/steps/FieldRange.h"
#include "domain/steps/StepTableModel.h"
#include "domain/steps/StepText.h"
#include "domain/system/Timer.h"

#include <algorithm>

namespace {
// Tells the operator which step cannot be played and what the timer allows.
QString unplayableDwellMessage(const StepRecord &row, int position)
{
    return row.label + QStringLiteral(" (row ") + QString::number(position)
           + QStringLiteral("): the dwell time \"") + row.subItem(StepRecord::WorkTime)
           + QStringLiteral("\" is outside 0 to 65.535 seconds (0 to 65,535 ms)."
                            " The program was not run.");
}

// A dwell read leniently stops at the first character that is no number's:
// "0,5" would be 0 s, held until STOP, where 0.5 s was meant.
int firstDwellNotANumber(const StepTableModel &steps)
{
    for (int position = 1; position <= steps.count(); ++position) {
        const StepRecord &row = steps.row(position);
        if (row.checked && !StepText::isInstrumentNumber(row.subItem(StepRecord::WorkTime)))
            return position;
    }
    return 0;
}

QString dwellNotANumberMessage(const StepRecord &row, int position)
{
    const QString &text = row.subItem(StepRecord::WorkTime);
    return row.label + QStringLiteral(" (row ") + QString::number(position)
           + QStringLiteral("): the dwell time \"") + text
           + QStringLiteral("\" is not a number of seconds as written (digits, a point): it would be read as ")
           + QString::number(dwellPeriodMs(text) / 1000.0) + QStringLiteral(" s. The program was not run.");
}
} // namespace

RunController::RunController(Timer &timer, SerialLink &link, const StepTableModel &steps, QObject *parent)
    : QObject(parent), m_timer(timer), m_link(link), m_steps(steps)
{
    m_timer.onTick = [this] { timerTick(); };
    // A link that drops during a run ends it.
    connect(&m_link, &SerialLink::linkLost, this, &RunController::linkLost);
}

RunController::~RunController()
{
    m_timer.onTick = nullptr;
}

RunController::Refusal RunController::start(const RunRequest &request)
{
    // A port that failed to open (another port chosen under Remote) or was
    // lost is tried again; without it nothing starts.
    if (!m_link.ensureOpen())
        return {Refusal::Reason::PortUnavailable, {}};

    const std::optional<qint32> cycles = request.cyclesAfter(m_run.RunCycles);
    if (!cycles) {
        // The field keeps a text it rejected; the run cannot count with it.
        const FieldRange &range = FieldRanges::CycleTime;
        return {Refusal::Reason::CycleCount, ModTool::rangeMessage(range.minimum, range.maximum)};
    }
    if (Refusal refused = checkSteps(m_steps); refused.reason != Refusal::Reason::None)
        return refused;

    m_run.RunCycles = *cycles;
    m_run.CyclesLeft = m_run.RunCycles;
    m_run.StepTotal = m_steps.count();
    if (m_run.StepTotal == 0)
        return {};
    m_run.CurrentStep = 1;
    m_run.LastSentStep = 0;
    m_pace = StepPace{};
    m_ending = {};
    m_running = true;
    emit runStarted();

    if (!m_link.send(Command::Turn + Command::Off) || !m_link.send(Command::OutputRelay + Command::On)) {
        linkLost();
        return {};
    }
    tick();
    return {};
}

RunController::Refusal RunController::checkSteps(const StepTableModel &steps)
{
    if (const int bad = firstUnplayableDwell(steps))
        return {Refusal::Reason::StepValue, unplayableDwellMessage(steps.row(bad), bad)};
    if (const int bad = firstDwellNotANumber(steps))
        return {Refusal::Reason::StepValue, dwellNotANumberMessage(steps.row(bad), bad)};
    // The texts go out as they stand: nothing leaves unless every one of
    // them is one command's argument and within what the editor allows.
    if (const UnsendableValue bad = firstUnsendableValue(steps); bad.position)
        return {Refusal::Reason::StepValue, unsendableValueMessage(steps.row(bad.position), bad)};
    return {};
}

void RunController::stop()
{
    m_timer.setEnabled(false);
    const qint64 dropped = m_link.dropUnsent();
    finish(Ending::How::Stopped, dropped);
}

void RunController::finish(Ending::How how, qint64 droppedBytes)
{
    m_timer.setEnabled(false);
    bool sent = m_link.send(Command::Turn + Command::Off);
    sent = m_link.send(Command::OutputRelay + Command::Off) && sent;
    // A link that dropped while sending has ended the run and said so already.
    const bool tell = !sent && m_running;
    if (m_running)
        m_ending = {how, sent, droppedBytes};
    m_running = false;
    emit runEnded(tell ? m_link.notAvailableMessage() : QString());
}

void RunController::linkLost()
{
    if (!m_running)
        return;
    m_timer.setEnabled(false);
    // Nothing more is written to this link; what it still holds is stale.
    m_link.discardUnsent();
    m_running = false;
    m_ending = {Ending::How::LinkFailed, false};
    // The message comes last, when the window is idle again: a box runs its
    // own event loop.
    emit runEnded(m_link.notAvailableMessage());
}

int RunController::armedMs() const
{
    return m_timer.Enabled() ? m_timer.Interval() : 0;
}

void RunController::stopTicks()
{
    m_timer.setEnabled(false);
}

bool RunController::releaseInstrument()
{
    stopTicks();
    if (!m_link.ensureOpen())
        return false;
    // Commands of steps not yet on the line would only delay the output's
    // switching off.
    if (m_running)
        m_link.dropUnsent();
    bool sent = m_link.send(Command::Turn + Command::Off);
    sent = m_link.send(Command::OutputRelay + Command::Off) && sent;
    sent = m_link.send(Command::Local) && sent;
    m_link.close();
    return sent && m_link.closeDelivered();
}

void RunController::timerTick()
{
    // RUN's own call of tick() plays the first step at once.
    if (!holdForLine())
        tick();
}

void RunController::tick()
{
    const int heldDwellMs = finishHold();
    const SequencerStep step = advanceSequencer(m_run, m_steps);
    switch (step.action) {
    case SequencerStep::Action::EndOfRun: finish(Ending::How::Completed); return;
    case SequencerStep::Action::Rewind:
        // Nothing sent; the timer keeps the last row's period (which a wait
        // for the line had replaced).
        if (heldDwellMs > 0)
            m_timer.setInterval(heldDwellMs);
        return;
    case SequencerStep::Action::Play: break;
    }

    emit stepStarting(step.position);
    for (const QString &command : step.commands) {
        if (!m_link.send(command)) {
            emit stepFailed(step.position);
            linkLost();
            return;
        }
    }
    // The next tick comes one dwell from here.
    m_timer.setInterval(step.periodMs);
    m_timer.setEnabled(true);
    // What the operator sees changes nothing on the line and is drawn only
    // once this handler returns, so it comes after the timer is armed and
    // does not lengthen the step.
    emit stepPlayed(step.position);
}

bool RunController::holdForLine()
{
    // The line sets the pace: while the last step's commands have not left,
    // the step is held longer rather than the next one queued behind them,
    // so that what goes out is never more than a step behind the program.
    const int pendingMs = m_link.pendingMs();
    if (pendingMs <= 0 || !m_running)
        return false;
    if (m_pace.heldStep == 0) {
        m_pace.heldStep = m_run.LastSentStep;
        m_pace.heldDwellMs = m_timer.Interval();
        m_pace.heldExtraMs = 0;
    }
    m_pace.heldExtraMs += pendingMs;
    m_timer.setInterval(std::min(pendingMs, Timer::MaxInterval));
    m_timer.setEnabled(true);
    return true;
}

int RunController::finishHold()
{
    if (m_pace.heldStep == 0)
        return 0;
    const int position = m_pace.heldStep;
    const int dwellMs = m_pace.heldDwellMs;
    const int heldMs = dwellMs + m_pace.heldExtraMs;
    m_pace.heldStep = 0;
    if (position < 1 || position > m_steps.count())
        return dwellMs;
    ++m_pace.stretchedCount;
    if (heldMs - dwellMs >= m_pace.longestHeldMs - m_pace.longestDwellMs) {
        m_pace.longestLabel = m_steps.row(position).label;
        m_pace.longestHeldMs = heldMs;
        m_pace.longestDwellMs = dwellMs;
    }
    emit stepHeld(position, heldMs, dwellMs);
    return dwellMs;
}
