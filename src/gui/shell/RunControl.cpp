// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// RUN/STOP and the run modes: the window's side of a run, which the
// session plays.
#include "gui/shell/frmControl.h"

#include "domain/instrument/PortText.h"

#include "domain/files/StepDocument.h"
#include "domain/instrument/InstrumentSession.h"
#include "domain/instrument/RunModes.h"
#include "domain/instrument/SequencerCore.h"
#include "domain/steps/FieldRange.h"
#include "domain/ui/BusyPointer.h"
#include "gui/shell/Texts.h"
#include "gui/steps/StepListView.h"
#include "gui/steps/StepTableMenu.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <cstdio>

void frmControl::connectRun()
{
    // Escape stops a run, as STOP does; it does nothing while idle.
    m_stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_stopKey->setEnabled(false);
    connect(m_stopKey, &QShortcut::activated, this, [this] {
        if (m_runActive && m_ui.cmdRunStop->isEnabled())
            m_ui.cmdRunStop->click();
    });
    // Most line work ends at once (an idle line, a port that opens): the
    // pointer is left alone for it rather than blinking, and turns busy only
    // for work that lasts, as a connect or a slow close does.
    m_busyPointerDelay = new QTimer(this);
    m_busyPointerDelay->setSingleShot(true);
    m_busyPointerDelay->setInterval(BusyPointerDelayMs);
    connect(m_busyPointerDelay, &QTimer::timeout, this, [this] { m_platform.busy->setBusy(true); });

    InstrumentSession *session = m_session.get();
    connect(session, &InstrumentSession::message, this, [this](const QString &text) { MsgBox(text); });
    connect(session, &InstrumentSession::portOpenTried, this, &frmControl::showPortFailure);
    connect(session, &InstrumentSession::runStarted, this, [this] {
        m_runActive = true;
        m_ui.livData->steps().clearNotes();
        // A run plays the table as it stands: its history ends here.
        m_ui.livData->edits().clearHistory();
        applyLocks();
    });
    // A step the line held past its dwell says so in its row's tooltip.
    connect(session, &InstrumentSession::stepHeld, this, [this](int position, int heldMs, int dwellMs) {
        if (position <= m_ui.livData->count())
            m_ui.livData->steps().setNote(position, stretchedStepNote(heldMs, dwellMs));
    });
    connect(session, &InstrumentSession::stepPlayed, this,
            [this](int position, const RunState &state) { showPlayedStep(position, state.StepTotal); });
    connect(session, &InstrumentSession::stepFailed, this, [this](int position) {
        m_ui.livData->select(position);
        m_ui.livData->ensureVisible(position);
    });
    // Told once the handler that sent the command has finished; the run
    // goes on without its record.
    connect(session, &InstrumentSession::recordFailed, this, [this](const QString &message) {
        QTimer::singleShot(0, this, [this, message] { MsgBox(message); });
    });
    connect(session, &InstrumentSession::runEnded, this, [this](const QString &message, const StepPace &pace) {
        m_runActive = false;
        applyLocks();
        setStatusText(Texts::NowStop);
        // Steps the line held past their dwell are told once per run, on
        // standard error; each one's row says it in its tooltip.
        if (pace.stretchedCount > 0)
            std::fprintf(stderr, "%s\n", qPrintable(stretchedStepsSummary(pace)));
        // Last, when the window is idle again: the box runs its own event loop.
        // A run ends with a message only where the line took no off commands,
        // and the operator must know that the output may still be on.
        if (!message.isEmpty())
            MsgBox(message + QLatin1Char('\n') + offUndeliveredMessage(m_ui.cboCommPort->currentText()));
    });
    // The step editor may rewrite a row during a run: the session plays
    // its new texts from the row's next turn on.
    connect(&m_ui.livData->steps(), &StepTableModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
                if (!m_runActive || roles == QList<int>{Qt::ToolTipRole})
                    return;
                const StepTableModel &steps = m_ui.livData->steps();
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
                    m_session->updateStep(row + 1, steps.row(row + 1));
            });
}

void frmControl::setRecordDirectory(const QString &directory)
{
    m_session->setRecordDirectory(directory);
}

void frmControl::cboRunMode_Click()
{
    if (m_ui.cboRunMode->currentText() == QStringView(RunMode::Cycle)) {
        m_ui.txtCycleTime->setEnabled(true);
        m_ui.txtCycleTime->setFocus();
    } else {
        m_ui.txtCycleTime->setEnabled(false);
    }
}

void frmControl::cmdRunStop_Click()
{
    if (m_runActive) {
        m_session->stop(); // STOP: at once, between two steps
        return;
    }
    m_session->setRecordDetails(recordDetails());
    const RunRequest request = RunRequest::fromTexts(m_ui.cboRunMode->currentText(), m_ui.txtCycleTime->text());
    // RUN may have to open the port again first. The window is locked from
    // here until the session has started the run (or refused it), so
    // nothing is edited meanwhile.
    onLine([request, steps = m_ui.livData->steps().rows()](
               InstrumentSession &session) mutable { return session.start(request, std::move(steps)); },
           [this](const InstrumentSession::Refusal &refused) { showRefusal(refused); });
}

// The record's side file names the device the port is connected to, as a
// run without the window does, and the step file by its absolute path; the
// checksum only while the table is what the file holds.
RunRecorder::RunDetails frmControl::recordDetails() const
{
    const QString entry = m_ui.cboCommPort->currentText();
    const qint16 number = portNumberFromText(entry);
    const QString device = number > 0 ? m_portMap.serialDevice(number) : QString();
    RunRecorder::RunDetails details{
        device.isEmpty() ? entry : device, m_ui.cboBaudRate->currentText(), {}, {}, {}};
    const QString file = m_document->fileName();
    if (file.isEmpty()) {
        details.stepFileNote = QStringLiteral("untitled program: never saved to a file");
        return details;
    }
    details.stepFile = QFileInfo(file).absoluteFilePath();
    if (m_document->modified()) {
        details.stepFileNote = QStringLiteral("unsaved changes: the run played the table, not the file");
        return details;
    }
    // Another program may have written the file since: its checksum then
    // names a program the run did not play.
    if (m_document->fileOnDiskAsKept())
        details.stepFileSha256 = m_document->fileChecksum();
    else
        details.stepFileNote = QStringLiteral(
            "the file changed on disk since it was opened or saved: the run played the table, "
            "not the file");
    return details;
}

// Why RUN did not start: the port has said so itself; the cycle count gets
// the range message and the field the focus; a step's value is named.
void frmControl::showRefusal(const InstrumentSession::Refusal &refused)
{
    switch (refused.reason) {
    case InstrumentSession::Refusal::Reason::None:
    case InstrumentSession::Refusal::Reason::PortUnavailable: return;
    case InstrumentSession::Refusal::Reason::CycleCount:
        MsgBox(refused.message, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation,
               ModTool::RangeErrorCaption);
        m_ui.txtCycleTime->setFocus();
        return;
    case InstrumentSession::Refusal::Reason::StepValue:
        MsgBox(refused.message, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation);
        return;
    }
}

// The timer's ticks go to the session without the window; this is what one
// tick does (the line's pace, then the sequencer), for a tick raised by hand.
void frmControl::TimComm_Timer()
{
    m_session->timerTick();
}

void frmControl::showPlayedStep(int position, qint32 stepTotal)
{
    if (position > m_ui.livData->count())
        return;
    m_ui.livData->select(position);
    m_ui.livData->ensureVisible(position);
    setStatusText(
        runningStatusText(m_ui.livData->item(position).label, position, stepTotal, currentStartTimeText()));
}

// Disables (or enables again) what must not change while the table plays
// or the line is worked on: the run mode, port and table frames and the
// File, Test and Help menus; the button's caption follows the run ("&STOP"
// while it goes on, "&RUN" after).
void frmControl::applyLocks()
{
    const bool locked = m_runActive || m_lineWork > 0;
    for (QGroupBox *frame : {m_ui.fraRunMode, m_ui.fraComm, m_ui.fraData})
        frame->setEnabled(!locked);
    for (QMenu *menu : {m_ui.mnuFile, m_ui.mnuTest, m_ui.mnuHelp}) {
        menu->setEnabled(!locked);
        menu->menuAction()->setEnabled(!locked); // greys the menu bar entry too
    }
    m_ui.cmdRunStop->setText(m_runActive ? Texts::StopCaption : Texts::RunCaption);
    // "&STOP" and "Re&set" share their S, and a key that two buttons share
    // only moves the focus between them: the first Alt+S would pass over
    // STOP to Reset. While a run goes on the key is STOP's alone.
    m_ui.cmdReset->setShortcut(m_runActive ? QKeySequence() : QKeySequence::mnemonic(m_ui.cmdReset->text()));
    m_stopKey->setEnabled(m_runActive);
    m_ui.livData->menu().setLocked(locked); // the table's keys too
    showLinkButtons();
}

void frmControl::setLineBusy(bool busy)
{
    if (busy) {
        m_busyPointerDelay->start();
    } else {
        if (!m_busyPointerDelay->isActive())
            m_platform.busy->setBusy(false);
        m_busyPointerDelay->stop();
    }
    applyLocks();
}
