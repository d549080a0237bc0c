// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Closing the main window. Other windows (the step editor, the about box)
// stay open; the program ends when its last window has closed.
#include "domain/files/StepDocument.h"
#include "domain/instrument/InstrumentSession.h"
#include "domain/instrument/PortText.h"
#include "gui/shell/frmControl.h"

#include <QCloseEvent>
#include <QComboBox>

namespace {
const QString ModifiedQuestion = QStringLiteral("The file have been modefied,") + QChar(13)
                                 + QStringLiteral("do you want to save it?");
}

void frmControl::mnuExit_Click()
{
    close();
}

// The close path, shared by Exit, the close box and the close that start-up
// performs when no port opens. Returns true when the close is cancelled,
// which happens only when the save question is asked and the operator
// answers Cancel, or answers Yes and the save does not go through. A close
// on a termination signal asks nothing. Under remote operation the session
// switches the output off and hands the instrument back to local operation.
bool frmControl::Form_Unload()
{
    // Start-up found no port: nothing was set up, nothing to ask or send.
    if (NoPortAvailable)
        return false;
    // A signal while the question is open ends the close whatever the
    // answer: the program was kept in a recovery file and the output is off.
    if (!m_closingOnSignal && !m_questionAnswered && !m_document->mayDiscard(ModifiedQuestion)) {
        if (!m_closingOnSignal)
            return true;
    }
    // A close on a signal has released the instrument already.
    const bool delivered = m_closingOnSignal || m_session->release();
    // What the session said on the way is shown before the window goes.
    catchUpWithSession();
    if (!delivered)
        MsgBox(offUndeliveredMessage(m_ui.cboCommPort->currentText()), MessageBox::Buttons::Ok,
               MessageBox::Icon::Exclamation);
    return false;
}

bool frmControl::endOfSession(bool mayAsk)
{
    if (m_closed || m_closingOnSignal)
        return true;
    if (!mayAsk || NoPortAvailable) {
        closeOnSignal();
        return true;
    }
    if (!m_document->mayDiscard(ModifiedQuestion))
        return false;
    m_questionAnswered = true;
    close();
    m_questionAnswered = false;
    return m_closed;
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
