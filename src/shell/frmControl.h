#pragma once

#include "instrument/RunState.h"
#include "instrument/StepPace.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class StepListView;
class frmDataSetting;
class frmAbout;

// The main window. It owns the step table, the serial port, the sequencer
// timer and all state; its handlers are the program's entry points. The
// handlers live beside their subsystem:
//   shell/      start-up, shutdown, layout, about box
//   instrument/ link, sequencer, RUN/STOP, port and remote/local controls
//   steps/      table editing commands, step editor, numeric fields
//   files/      New, Open, Save, Save as
class frmControl : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmControl(const Platform &platform, QWidget *parent = nullptr);
    ~frmControl() override;

    // Start-up: runs once, before the window is first shown. When no port
    // opens it shows its message, sets NoPortAvailable and closes the window.
    void Form_Load();

    // --- state -------------------------------------------------------------
    bool NoPortAvailable = false;
    bool Modified = false;
    qint32 NextStepNumber = 0;
    RunState Run;
    StepPace Pace; // steps the line held past their dwell in this run
    QString CommDialogFileName; // the file dialog's current name, kept across uses

    const Platform &platform() const { return m_platform; }

    // --- instrument link -----------------------------------------------------
    // Writes text + CR to the port. Returns false when the port is closed or
    // the write failed.
    bool SendCommand(const QString &text);
    // Opens the port if it is closed; on failure shows the "not available"
    // message and returns false.
    bool EnsurePortOpen();
    // Drops the commands not yet on the line; a command cut short on the
    // wire is ended with a lone CR, so that the instrument discards the
    // fragment and reads what follows whole.
    void DropUnsentCommands();
    void ApplyBaudRate();
    // Shows a message box with the application title as caption (unless given).
    MessageBox::Answer MsgBox(const QString &text,
                              MessageBox::Buttons buttons = MessageBox::Buttons::Ok,
                              MessageBox::Icon icon = MessageBox::Icon::None,
                              const QString &caption = QString(),
                              MessageBox::Answer defaultButton = MessageBox::Answer::Ok);

    // --- status bar ------------------------------------------------------------
    QString statusText() const;
    void setStatusText(const QString &text);

    // --- handlers ----------------------------------------------------------------
    // shell
    void mnuExit_Click();
    bool Form_Unload(); // true cancels the close
    // Closes on a termination signal: no question and no dialog; a modified
    // program is kept in a recovery file whose path goes to standard error.
    void closeOnSignal();
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
    // files
    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();

    // --- controls (object names as in the design) ---------------------------------
    QGroupBox *fraSystemMode = nullptr;
    QRadioButton *optSystemMode_0 = nullptr; // "&Local"
    QRadioButton *optSystemMode_1 = nullptr; // "Re&Mote"
    QGroupBox *fraRunMode = nullptr;
    QComboBox *cboRunMode = nullptr;
    QLabel *labCycleTime = nullptr;
    QLineEdit *txtCycleTime = nullptr;
    QCheckBox *chkOutputRelay = nullptr;
    QGroupBox *fraComm = nullptr;
    QLabel *labCommPort = nullptr;
    QComboBox *cboCommPort = nullptr;
    QLabel *labBaudRate = nullptr;
    QComboBox *cboBaudRate = nullptr;
    QLabel *labPortSetting = nullptr;
    QPushButton *cmdRunStop = nullptr;
    QPushButton *cmdReset = nullptr;
    QGroupBox *fraData = nullptr;
    StepListView *livData = nullptr;
    QCheckBox *chkDataSelectAll = nullptr;
    QPushButton *cmdDataInsert = nullptr;
    QPushButton *cmdDataDelete = nullptr;
    QPushButton *cmdDataAppend = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *StatusBar1Text = nullptr;
    QMenu *mnuFile = nullptr;
    QAction *mnuNew = nullptr;
    QAction *mnuOpen = nullptr;
    QAction *numS1 = nullptr;
    QAction *mnuSave = nullptr;
    QAction *mnuSaveAs = nullptr;
    QAction *numS2 = nullptr;
    QAction *mnuExit = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuAbout = nullptr;

    // The secondary windows, when open.
    QPointer<frmDataSetting> DataSetting;
    QPointer<frmAbout> About;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void buildControls();  // shell/MainWindowControls.cpp
    void connectHandlers(); // shell/MainWindowControls.cpp
    void connectCycleTimeField(); // instrument/CycleTimeField.cpp
    void setRunLocked(bool locked); // instrument/RunControl.cpp
    void setDataButtons(); // steps: Insert/Delete follow the row count
    void showPlayedStep(int position); // instrument/Sequencer.cpp
    bool holdForLine();                 // instrument/Sequencer.cpp
    int finishHold();                   // instrument/Sequencer.cpp

    Platform m_platform;
    bool m_inResize = false;
    bool m_closingOnSignal = false; // no questions: message boxes go to standard error
    bool m_closed = false;          // the close path has run
};
