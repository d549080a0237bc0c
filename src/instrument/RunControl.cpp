// RUN/STOP and the run modes.
#include "shell/frmControl.h"

#include "instrument/Commands.h"
#include "instrument/RunLifecycle.h"
#include "instrument/RunModes.h"
#include "instrument/SequencerCore.h"
#include "shell/Texts.h"
#include "steps/FieldTools.h"
#include "steps/StepListView.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {
// Tells the operator which step cannot be played and what the timer allows.
QString unplayableDwellMessage(const StepRecord &row, int position)
{
    return row.label + QStringLiteral(" (row ") + QString::number(position)
           + QStringLiteral("): the dwell time \"") + row.subItem(StepRecord::WorkTime)
           + QStringLiteral("\" is outside 0 to 65.535 seconds (0 to 65,535 ms)."
                            " The program was not run.");
}
} // namespace

void frmControl::cboRunMode_Click()
{
    if (cboRunMode->currentText() == QStringView(RunMode::Cycle)) {
        txtCycleTime->setEnabled(true);
        txtCycleTime->setFocus();
    } else {
        txtCycleTime->setEnabled(false);
    }
}

void frmControl::cmdRunStop_Click()
{
    if (cmdRunStop->text() != Texts::RunCaption) {
        stopRun(*this); // STOP
        return;
    }

    // A port that failed to open (another port chosen under Remote) or was
    // lost is tried again; without it nothing starts.
    if (!EnsurePortOpen())
        return;

    const std::optional<qint32> cycles =
        RunMode::cyclesFor(cboRunMode->currentText(), txtCycleTime->text(), Run.RunCycles);
    if (!cycles) {
        // The field keeps a text it rejected; the run cannot count with it.
        const FieldRange &range = FieldRanges::CycleTime;
        MsgBox(ModTool::rangeMessage(range.minimum, range.maximum), MessageBox::Buttons::Ok,
               MessageBox::Icon::Exclamation, ModTool::RangeErrorCaption);
        txtCycleTime->setFocus();
        return;
    }
    if (const int bad = firstUnplayableDwell(livData->steps())) {
        MsgBox(unplayableDwellMessage(livData->item(bad), bad), MessageBox::Buttons::Ok,
               MessageBox::Icon::Exclamation);
        return;
    }

    Run.RunCycles = *cycles;
    Run.CyclesLeft = Run.RunCycles;
    Run.StepTotal = livData->count();
    if (Run.StepTotal == 0)
        return;
    Run.CurrentStep = 1;
    Run.LastSentStep = 0;
    Pace = StepPace{};
    livData->steps().clearNotes();
    setRunLocked(true);

    if (!SendCommand(Command::Turn + Command::Off) || !SendCommand(Command::OutputRelay + Command::On)) {
        endRunOnLinkFailure(*this);
        return;
    }
    TimComm_Timer();
}

void frmControl::setRunLocked(bool locked)
{
    lockWindowForRun(*this, locked);
}
