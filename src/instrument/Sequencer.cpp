// The run sequencer: one call per timer tick, plus the first call by RUN.
#include "shell/frmControl.h"

#include "instrument/RunLifecycle.h"
#include "instrument/SequencerCore.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "steps/StepListView.h"

#include <algorithm>

void frmControl::TimComm_Timer()
{
    const int heldDwellMs = finishHold();
    const SequencerStep step = advanceSequencer(Run, livData->steps());
    switch (step.action) {
    case SequencerStep::Action::EndOfRun:
        endRun(*this);
        return;
    case SequencerStep::Action::Rewind:
        // Nothing sent; the timer keeps the last row's period (which a wait
        // for the line had replaced).
        if (heldDwellMs > 0)
            m_platform.timer->setInterval(heldDwellMs);
        return;
    case SequencerStep::Action::Play:
        break;
    }

    for (const QString &command : step.commands) {
        if (!SendCommand(command)) {
            livData->select(step.position);
            livData->ensureVisible(step.position);
            endRunOnLinkFailure(*this);
            return;
        }
    }
    // The next tick comes one dwell from here.
    m_platform.timer->setInterval(step.periodMs);
    m_platform.timer->setEnabled(true);
    // What the operator sees changes nothing on the line and is drawn only
    // once this handler returns, so it comes after the timer is armed and
    // does not lengthen the step.
    showPlayedStep(step.position);
}

bool frmControl::holdForLine()
{
    // The line sets the pace: while the last step's commands have not left,
    // the step is held longer rather than the next one queued behind them,
    // so that what goes out is never more than a step behind the program.
    const int pendingMs = m_platform.port->OutputPendingMs();
    if (pendingMs <= 0 || !runInProgress(*this))
        return false;
    Timer &timer = *m_platform.timer;
    if (Pace.heldStep == 0) {
        Pace.heldStep = Run.LastSentStep;
        Pace.heldDwellMs = timer.Interval();
        Pace.heldExtraMs = 0;
    }
    Pace.heldExtraMs += pendingMs;
    timer.setInterval(std::min(pendingMs, Timer::MaxInterval));
    timer.setEnabled(true);
    return true;
}

int frmControl::finishHold()
{
    if (Pace.heldStep == 0)
        return 0;
    const int position = Pace.heldStep;
    const int dwellMs = Pace.heldDwellMs;
    const int heldMs = dwellMs + Pace.heldExtraMs;
    Pace.heldStep = 0;
    if (position < 1 || position > livData->count())
        return dwellMs;
    ++Pace.stretchedCount;
    if (heldMs - dwellMs >= Pace.longestHeldMs - Pace.longestDwellMs) {
        Pace.longestLabel = livData->item(position).label;
        Pace.longestHeldMs = heldMs;
        Pace.longestDwellMs = dwellMs;
    }
    livData->steps().setNote(position, stretchedStepNote(heldMs, dwellMs));
    return dwellMs;
}

void frmControl::showPlayedStep(int position)
{
    livData->select(position);
    livData->ensureVisible(position);
    setStatusText(runningStatusText(livData->item(position).label, position, Run.StepTotal,
                                    currentStartTimeText()));
}
