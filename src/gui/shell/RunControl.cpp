// RUN/STOP and the run modes: the window's side of a run.
#include "shell/frmControl.h"

#include "files/FileChecksum.h"
#include "files/StepDocument.h"
#include "instrument/RunController.h"
#include "instrument/RunModes.h"
#include "instrument/RunRecording.h"
#include "shell/Texts.h"
#include "steps/FieldRange.h"
#include "steps/StepListView.h"
#include "steps/StepTableMenu.h"

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
        if (m_run->running() && cmdRunStop->isEnabled())
            cmdRunStop->click();
    });
    connect(m_run.get(), &RunController::runStarted, this, [this] {
        livData->steps().clearNotes();
        // A run plays the table as it stands: its history ends here.
        livData->edits().clearHistory();
        setRunLocked(true);
    });
    // A step the line held past its dwell says so in its row's tooltip.
    connect(m_run.get(), &RunController::stepHeld, this, [this](int position, int heldMs, int dwellMs) {
        livData->steps().setNote(position, stretchedStepNote(heldMs, dwellMs));
    });
    connect(m_run.get(), &RunController::stepPlayed, this, &frmControl::showPlayedStep);
    connect(m_run.get(), &RunController::stepFailed, this, [this](int position) {
        livData->select(position);
        livData->ensureVisible(position);
    });
    // Told once the handler that sent the command has finished; the run
    // goes on without its record.
    connect(m_recording.get(), &RunRecording::failed, this, [this](const QString &message) {
        QTimer::singleShot(0, this, [this, message] { MsgBox(message); });
    });
    connect(m_run.get(), &RunController::runEnded, this, [this](const QString &message) {
        setRunLocked(false);
        setStatusText(Texts::NowStop);
        // Steps the line held past their dwell are told once per run, on
        // standard error; each one's row says it in its tooltip.
        if (m_run->pace().stretchedCount > 0)
            std::fprintf(stderr, "%s\n", qPrintable(stretchedStepsSummary(m_run->pace())));
        // Last, when the window is idle again: the box runs its own event loop.
        if (!message.isEmpty())
            MsgBox(message);
    });
}

void frmControl::setRecordDirectory(const QString &directory)
{
    m_recording->setDirectory(directory);
}

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
    if (m_run->running()) {
        m_run->stop(); // STOP
        return;
    }
    // The record's side file names the step file only while the table is
    // what the file holds: with unsaved changes it has no checksum.
    const QString file = m_document->fileName();
    const bool saved = !m_document->modified() && QFileInfo(file).isFile();
    m_recording->setDetails({cboCommPort->currentText(), cboBaudRate->currentText(),
                             saved ? QFileInfo(file).absoluteFilePath() : file,
                             saved ? fileSha256(file) : QString()});
    const RunController::Refusal refused = m_run->start(cboRunMode->currentText(), txtCycleTime->text());
    switch (refused.reason) {
    case RunController::Refusal::Reason::None:
    case RunController::Refusal::Reason::PortUnavailable:
        return;
    case RunController::Refusal::Reason::CycleCount:
        MsgBox(refused.message, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation,
               ModTool::RangeErrorCaption);
        txtCycleTime->setFocus();
        return;
    case RunController::Refusal::Reason::StepValue:
        MsgBox(refused.message, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation);
        return;
    }
}

// Disables (or enables again) what must not change while the table plays:
// the run mode, port and table frames and the File and Help menus; the
// button's caption follows ("&STOP" while locked, "&RUN" after).
void frmControl::setRunLocked(bool locked)
{
    for (QGroupBox *frame : {fraRunMode, fraComm, fraData})
        frame->setEnabled(!locked);
    for (QMenu *menu : {mnuFile, mnuHelp}) {
        menu->setEnabled(!locked);
        menu->menuAction()->setEnabled(!locked); // greys the menu bar entry too
    }
    cmdRunStop->setText(locked ? Texts::StopCaption : Texts::RunCaption);
    // "&STOP" and "Re&set" share their S, and a key that two buttons share
    // only moves the focus between them: the first Alt+S would pass over
    // STOP to Reset. While a run goes on the key is STOP's alone.
    cmdReset->setShortcut(locked ? QKeySequence() : QKeySequence::mnemonic(cmdReset->text()));
    m_stopKey->setEnabled(locked);
    livData->menu().setLocked(locked); // the table's keys too
}
