// The run sequencer's tick and what the window shows of a played step.
#include "shell/frmControl.h"

#include "instrument/RunController.h"
#include "instrument/SequencerCore.h"
#include "steps/StepListView.h"

// The timer's tick reaches the run controller directly; this is the same
// call for those who raise the event by hand.
void frmControl::TimComm_Timer()
{
    m_run->tick();
}

void frmControl::showPlayedStep(int position)
{
    livData->select(position);
    livData->ensureVisible(position);
    setStatusText(runningStatusText(livData->item(position).label, position,
                                    m_run->state().StepTotal, currentStartTimeText()));
}
