#include "instrument/RunLifecycle.h"

#include "instrument/Commands.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "shell/Texts.h"
#include "shell/frmControl.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>

#include <cstdio>

namespace {
// Steps the line held past their dwell are told once per run, on standard
// error; each one's row says it in its tooltip.
void reportStretchedSteps(const frmControl &w)
{
    if (w.Pace.stretchedCount > 0)
        std::fprintf(stderr, "%s\n", qPrintable(stretchedStepsSummary(w.Pace)));
}
} // namespace

bool runInProgress(const frmControl &w)
{
    return w.cmdRunStop->text() != Texts::RunCaption;
}

void lockWindowForRun(frmControl &w, bool locked)
{
    for (QGroupBox *frame : {w.fraRunMode, w.fraComm, w.fraData})
        frame->setEnabled(!locked);
    for (QMenu *menu : {w.mnuFile, w.mnuHelp}) {
        menu->setEnabled(!locked);
        menu->menuAction()->setEnabled(!locked); // greys the menu bar entry too
    }
    w.cmdRunStop->setText(locked ? Texts::StopCaption : Texts::RunCaption);
}

void endRun(frmControl &w)
{
    w.platform().timer->setEnabled(false);
    bool sent = w.SendCommand(Command::Turn + Command::Off);
    sent = w.SendCommand(Command::OutputRelay + Command::Off) && sent;
    // A link that dropped while sending has ended the run and said so already.
    const bool tell = !sent && runInProgress(w);
    lockWindowForRun(w, false);
    w.setStatusText(Texts::NowStop);
    reportStretchedSteps(w);
    if (tell)
        showPortMessage(w);
}

void stopRun(frmControl &w)
{
    w.platform().timer->setEnabled(false);
    w.DropUnsentCommands();
    endRun(w);
}

void endRunOnLinkFailure(frmControl &w)
{
    if (!runInProgress(w))
        return;
    w.platform().timer->setEnabled(false);
    // Nothing more is written to this link; what it still holds is stale.
    if (SerialPort &port = *w.platform().port; port.PortOpen())
        port.discardOutput();
    lockWindowForRun(w, false);
    w.setStatusText(Texts::NowStop);
    reportStretchedSteps(w);
    // Last, when the window is idle again: the box runs its own event loop.
    showPortMessage(w);
}

void showPortMessage(frmControl &w)
{
    w.MsgBox(w.cboCommPort->currentText() + Texts::PortNotAvailableSuffix);
}

void watchLinkLoss(frmControl &w)
{
    w.platform().port->onLinkLost = [&w] { endRunOnLinkFailure(w); };
}
