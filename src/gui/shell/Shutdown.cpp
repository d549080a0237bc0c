// Closing the main window. Other windows (the step editor, the about box)
// stay open; the program ends when its last window has closed.
#include "files/StepDocument.h"
#include "instrument/Commands.h"
#include "instrument/RunController.h"
#include "instrument/SerialLink.h"
#include "platform/CrashGuard.h"
#include "shell/frmControl.h"

#include <QCloseEvent>
#include <QRadioButton>

namespace {
const QString ModifiedQuestion = QStringLiteral("The file have been modefied,") + QChar(13)
                                 + QStringLiteral("do you want to save it?");
}

// Under remote operation: stops the sequencer, switches the output off,
// hands the instrument back to local operation and closes the port. Does
// nothing under local operation.
void frmControl::releaseInstrument()
{
    if (!optSystemMode_1->isChecked())
        return;
    m_run->releaseInstrument();
    armCrashGuard(false);
}

void frmControl::armCrashGuard(bool remote)
{
    CrashGuard *guard = m_platform.crash;
    if (!guard)
        return;
    guard->setCrashOutput(remote ? Command::crashRelease() : QByteArray());
}

void frmControl::mnuExit_Click()
{
    close();
}

// The close path, shared by Exit, the close box and the close that start-up
// performs when no port opens. Returns true when the close is cancelled,
// which happens only when the save question is asked and the operator
// answers Cancel, or answers Yes and the save does not go through. A close
// on a termination signal asks nothing.
bool frmControl::Form_Unload()
{
    // Start-up found no port: nothing was set up, nothing to ask or send.
    if (NoPortAvailable)
        return false;
    if (!m_closingOnSignal && !m_document->mayDiscard(ModifiedQuestion))
        return true;
    releaseInstrument();
    return false;
}

void frmControl::closeEvent(QCloseEvent *event)
{
    if (m_closed || !Form_Unload()) {
        m_closed = true;
        event->accept();
    } else {
        event->ignore();
    }
}
