// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/Platform.h"
#include "domain/instrument/InstrumentSession.h"
#include "domain/ports/PortMap.h"
#include "domain/ui/MessageBox.h"
#include "domain/ui/TextMessages.h"
#include "gui/shell/frmControlUi.h"
#include "gui/testmenu/ReportTask.h"
#include "gui/testmenu/ReportViewer.h"
#include "gui/testmenu/RunRecordsDialog.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QShortcut;
class QTimer;
class SessionThread;
class StepDocument;
class frmDataSetting;
class frmAbout;
class ChartWindow;
class LineTimeMarks;
class QSettings;

// The main window: the operator's controls and their handlers. The work is
// done by what the window holds, none of which sees the window:
//   InstrumentSession  the instrument: port, remote/local, reset, a run and
//                      its record; on a thread of its own
//   StepDocument       Modified, the file and the title; New, Open, Save
// Each handler reads its controls, calls one of them and shows the result;
// their signals become what the controls show.
class frmControl : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmControl(const Platform &platform, QWidget *parent = nullptr);
    ~frmControl() override;

    // How long line work goes on before the pointer turns busy.
    static constexpr int BusyPointerDelayMs = 50;

    // Start-up: runs once, before the window is first shown. When no port
    // opens it shows its message, notes that no port is available and
    // closes the window.
    void Form_Load();
    bool noPortAvailable() const { return NoPortAvailable; }

    const frmControlUi &ui() const { return m_ui; }
    StepDocument &document() { return *m_document; }
    InstrumentSession &session() { return *m_session; }
    const InstrumentSession &session() const { return *m_session; }
    // The secondary windows, while open.
    QPointer<frmDataSetting> dataSetting() const { return DataSetting; }
    QPointer<frmAbout> about() const { return About; }
    QPointer<ChartWindow> chart() const { return Chart; }
    LineTimeMarks &lineTimeMarks() { return *m_lineMarks; }
    // The Test menu's settings, read at start; changes go to the store
    // when there is one.
    void setTestSettings(const TestSettings &settings, QSettings *store);
    const TestSettings &testSettings() const { return m_testSettings; }
    void setReportViewer(ReportViewer viewer) { m_reportViewer = std::move(viewer); }
    QString lastReport() const { return m_lastReport; }
    ReportTask *reportTask() const { return m_reportTask; }
    // The number the next new step's label takes; set as a long session
    // of editing leaves it.
    qint32 nextStepNumber() const { return NextStepNumber; }
    void setNextStepNumber(qint32 number) { NextStepNumber = number; }
    // What the port list's entries connect to, for the session and the
    // entries' tooltips; the port follows it from its next opening on.
    void setPortMap(const PortMap &map);
    // Each run's record goes to this directory (the setting
    // Record/Directory); empty: no records.
    void setRecordDirectory(const QString &directory);
    // Opens a step file as File > Open does once its dialog has named it:
    // the table, the title and Modified. False when it could not be read.
    bool OpenStepFile(const QString &path);

    QString statusText() const;
    // Work on the line asked of the session and not ended yet (a connect,
    // a close that drains): the window is locked meanwhile.
    bool lineBusy() const { return m_lineWork > 0; }
    // The close has gone through (the instrument released where it was
    // under remote control).
    bool closed() const { return m_closed; }

    // --- handlers ----------------------------------------------------------------
    // shell
    void mnuExit_Click();
    bool Form_Unload(); // true cancels the close
    // Closes on a termination signal: no question and no dialog; a modified
    // program is kept in a recovery file whose path goes to standard error.
    void closeOnSignal();
    // The desktop's session ends (log-off, shut-down). mayAsk: the session
    // lets the program ask the operator; the save question is then asked as
    // at Exit, and false (Cancel) asks the desktop to cancel the end.
    // Without it, as on a termination signal. The instrument is released
    // whenever the end goes on.
    bool endOfSession(bool mayAsk);
    void Form_Resize();
    void mnuAbout_Click();
    // instrument
    void TimComm_Timer();
    void cmdRunStop_Click();
    void cboRunMode_Click();
    void cboCommPort_Click();
    void cboBaudRate_Click();
    void optSystemMode_Click(int index);
    void cmdReset_Click();
    void txtCycleTime_GotFocus();
    void txtCycleTime_LostFocus();
    void txtCycleTime_KeyPress(int keyAscii);
    // steps
    void cmdDataInsert_Click();
    void cmdDataAppend_Click();
    void cmdDataDelete_Click();
    void chkDataSelectAll_Click();
    void livData_ItemCheck(int position);
    void livData_DblClick();
    void livData_Cut();
    void livData_Copy();
    void livData_CopyAll();
    void livData_Paste();
    void livData_Undo();
    void livData_Redo();
    // files
    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    // test menu
    void mnuDipTest_Click();
    void mnuCheckLine_Click();
    void mnuChart_Click();
    void mnuRunRecords_Click();
    void mnuOpenReport_Click();

signals:
    // The last run's report is written (see lastReport()).
    void reportWritten(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    // The platform's message boxes, or standard error while closing on a
    // signal, when nobody is there to answer.
    class WindowMessages : public MessageBox
    {
    public:
        explicit WindowMessages(const frmControl &window) : m_window(window) {}
        Answer show(const QString &text, Buttons buttons, Icon icon, const QString &caption,
                    Answer defaultButton) override;

    private:
        const frmControl &m_window;
        TextMessages m_standardError{TextMessages::standardError()};
    };

    void connectHandlers();       // MainWindowControls.cpp
    void connectCycleTimeField(); // CycleTimeField.cpp
    void connectRun();            // RunControl.cpp
    // Locks (or unlocks) what must not change while the table plays or the
    // line is being worked on.
    void applyLocks();                                   // RunControl.cpp
    void setDataButtons();                               // EditCommands.cpp: Insert/Delete follow the row count
    void connectTableEditing();                          // ClipboardCommands.cpp
    void connectTestMenu();                              // TestMenu.cpp
    void writeReportAfterRun();                          // TestMenu.cpp
    bool tableEditable() const;                          // ClipboardCommands.cpp: not during a run
    void showPlayedStep(int position, qint32 stepTotal); // RunControl.cpp
    RunRecorder::RunDetails recordDetails() const;       // RunControl.cpp
    void showRefusal(const InstrumentSession::Refusal &refused); // RunControl.cpp
    // Shows a message box with the application title as caption (unless given).
    MessageBox::Answer MsgBox(const QString &text, MessageBox::Buttons buttons = MessageBox::Buttons::Ok,
                              MessageBox::Icon icon = MessageBox::Icon::None,
                              const QString &caption = QString(),
                              MessageBox::Answer defaultButton = MessageBox::Answer::Ok);
    void setStatusText(const QString &text);
    // The port list's tooltip says why the entry's port did not open at its
    // last try, and nothing once it has opened.
    void showPortFailure(const QString &entry, bool opened, const QString &failure); // PortControls.cpp
    // Work on the line (opening, connecting, closing) is asked of the
    // session without waiting: meanwhile what a run locks is locked, the
    // pointer busy once the work lasts long enough to be seen, and
    // then(result) runs once the session is done, after what it said on the
    // way.
    template <typename Work, typename Then>
    void onLine(Work work, Then then);
    void setLineBusy(bool busy); // RunControl.cpp
    // Under Remote and idle, RUN and Reset can be pressed.
    void showLinkButtons(); // PortControls.cpp
    // The close goes on once the instrument is released.
    void releaseThenClose(); // Shutdown.cpp

    // --- state ---------------------------------------------------------------------
    bool NoPortAvailable = false;
    qint32 NextStepNumber = 0;
    // From RUN to the run's end as the session tells it: the table's
    // changes go to the session's copy meanwhile.
    bool m_runActive = false;
    int m_lineWork = 0;         // requests to the session not ended yet
    bool m_linkButtons = false; // RUN and Reset: Remote was chosen and went through
    PortMap m_portMap;          // as given to the session
    bool m_released = false;    // the close has released the instrument
    bool m_releasing = false;   // the close waits for the release

    frmControlUi m_ui;
    QShortcut *m_stopKey = nullptr;       // Escape: STOP, while a run goes on
    QTimer *m_busyPointerDelay = nullptr; // the line work that shows the busy pointer

    // The secondary windows, when open.
    QPointer<frmDataSetting> DataSetting;
    QPointer<frmAbout> About;
    QPointer<ChartWindow> Chart;
    LineTimeMarks *m_lineMarks = nullptr;
    TestSettings m_testSettings;
    QSettings *m_settingsStore = nullptr;
    ReportViewer m_reportViewer = desktopReportViewer();
    QString m_lastReport; // the last run's report, once written
    bool m_reportBusy = false;
    QPointer<ReportTask> m_reportTask; // the report being written, if any

    Platform m_platform;
    WindowMessages m_messages{*this};
    std::unique_ptr<StepDocument> m_document;
    std::unique_ptr<InstrumentSession> m_session;
    std::unique_ptr<SessionThread> m_sessionThread; // ends before the session goes
    bool m_inResize = false;
    bool m_questionAnswered = false; // the save question of this close was asked already
    bool m_closingOnSignal = false;  // no questions: message boxes go to standard error
    bool m_closed = false;           // the close path has run
};

template <typename Work, typename Then>
void frmControl::onLine(Work work, Then then)
{
    if (m_lineWork++ == 0)
        setLineBusy(true);
    m_session->request(this, std::move(work), [this, then = std::move(then)](auto &&...result) mutable {
        if (--m_lineWork == 0)
            setLineBusy(false);
        then(result...);
    });
}
