// Closing the main window. Other windows (the step editor, the about box)
// stay open; the program ends when its last window has closed.
#include "shell/Shutdown.h"

#include "files/SavePrompt.h"
#include "instrument/Commands.h"
#include "instrument/RunLifecycle.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "shell/frmControl.h"

#include <QCloseEvent>
#include <QRadioButton>

namespace {
const QString ModifiedQuestion = QStringLiteral("The file have been modefied,") + QChar(13)
                                 + QStringLiteral("do you want to save it?");
}

namespace Shutdown {

bool unload(frmControl &window, SaveQuestion question)
{
    // Start-up found no port: nothing was set up, nothing to ask or send.
    if (window.NoPortAvailable)
        return false;
    if (question == SaveQuestion::Ask && !mayDiscardProgram(window, ModifiedQuestion))
        return true;
    releaseInstrument(window);
    return false;
}

void releaseInstrument(frmControl &window)
{
    if (!window.optSystemMode_1->isChecked())
        return;
    window.platform().timer->setEnabled(false);
    if (!window.EnsurePortOpen())
        return;
    // Commands of steps not yet on the line would only delay the output's
    // switching off.
    if (runInProgress(window))
        window.DropUnsentCommands();
    // A failed write does not stop the ones after it.
    window.SendCommand(Command::Turn + Command::Off);
    window.SendCommand(Command::OutputRelay + Command::Off);
    window.SendCommand(Command::Local);
    SerialPort &port = *window.platform().port;
    if (port.PortOpen())
        port.setPortOpen(false);
}

} // namespace Shutdown

void frmControl::mnuExit_Click()
{
    close();
}

bool frmControl::Form_Unload()
{
    return Shutdown::unload(*this, m_closingOnSignal ? Shutdown::SaveQuestion::Skip
                                                     : Shutdown::SaveQuestion::Ask);
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
