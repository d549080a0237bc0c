// The run sequencer: one call per timer tick, plus the first call by RUN.
#include "shell/frmControl.h"

#include "instrument/RunLifecycle.h"
#include "instrument/SequencerCore.h"
#include "platform/Timer.h"
#include "steps/StepListView.h"

void frmControl::TimComm_Timer()
{
    const SequencerStep step = advanceSequencer(Run, livData->steps());
    switch (step.action) {
    case SequencerStep::Action::EndOfRun:
        endRun(*this);
        return;
    case SequencerStep::Action::Rewind:
        // Nothing sent, the timer keeps the last row's period.
        return;
    case SequencerStep::Action::Play:
        break;
    }

    m_recordStep = livData->item(step.position).label;
    for (const QString &command : step.commands) {
        if (!SendCommand(command)) {
            m_recordStep.clear();
            livData->select(step.position);
            livData->ensureVisible(step.position);
            endRunOnLinkFailure(*this);
            return;
        }
    }
    m_recordStep.clear();
    // The next tick comes one dwell from here.
    m_platform.timer->setInterval(step.periodMs);
    m_platform.timer->setEnabled(true);
    // What the operator sees changes nothing on the line and is drawn only
    // once this handler returns, so it comes after the timer is armed and
    // does not lengthen the step.
    showPlayedStep(step.position);
}

void frmControl::showPlayedStep(int position)
{
    livData->select(position);
    livData->ensureVisible(position);
    setStatusText(runningStatusText(livData->item(position).label, position, Run.StepTotal,
                                    currentStartTimeText()));
}
