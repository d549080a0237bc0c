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
// switches the output off and hands the instrument back to local operation;
// the window waits for that without freezing (its close is put off until
// then, the pointer busy and the controls locked).
bool frmControl::Form_Unload()
{
    // Start-up found no port: nothing was set up, nothing to ask or send.
    if (NoPortAvailable)
        return false;
    // A close on a signal has released the instrument already.
    if (m_closingOnSignal || m_released)
        return false;
    if (m_releasing)
        return true; // a second close while the first one releases
    const bool kept = !m_questionAnswered && !m_document->mayDiscard(ModifiedQuestion);
    // A signal while the question is open ends the close whatever the
    // answer: the program was kept in a recovery file and the output is off.
    if (m_closingOnSignal)
        return false;
    if (kept)
        return true;
    releaseThenClose();
    return true;
}

void frmControl::releaseThenClose()
{
    m_releasing = true;
    // A Remote still connecting gives up: the release opens the port itself.
    if (lineBusy())
        m_session->abandonRequests();
    onLine([](InstrumentSession &session) { return session.release(); },
           [this](bool delivered) {
               m_releasing = false;
               m_released = true;
               // What the session said on the way has been shown already.
               if (!delivered && !m_closingOnSignal)
                   MsgBox(offUndeliveredMessage(m_ui.cboCommPort->currentText()), MessageBox::Buttons::Ok,
                          MessageBox::Icon::Exclamation);
               close();
           });
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
    // The close goes on once the instrument is released.
    return m_closed || m_releasing;
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
