#pragma once

#include "platform/MessageBox.h"
#include "platform/Platform.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QShortcut;
class QStatusBar;
class RunController;
class RunRecording;
class SerialLink;
class StepDocument;
class StepListView;
class frmDataSetting;
class frmAbout;
struct MainWindowUi;

// The main window: the operator's controls and their handlers. The work is
// done by what the window holds, none of which sees the window:
//   SerialLink     the serial port: commands, opening, the lost link
//   RunController  a run of the step table and its end
//   StepDocument   Modified, the file and the title; New, Open, Save
// Each handler turns a control's event into a call on one of them, and
// their signals into what the controls show.
class frmControl : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmControl(const Platform &platform, QWidget *parent = nullptr);
    ~frmControl() override;

    // Start-up: runs once, before the window is first shown. When no port
    // opens it shows its message, notes that no port is available and
    // closes the window.
    void Form_Load();
    bool noPortAvailable() const { return NoPortAvailable; }

    StepDocument &document() { return *m_document; }
    const RunController &runController() const { return *m_run; }
    SerialLink &link() { return *m_link; }
    // Each run's record goes to this directory (the setting
    // Record/Directory); empty: no records.
    void setRecordDirectory(const QString &directory);
    // Opens a step file as File > Open does once its dialog has named it:
    // the table, the title and Modified. False when it could not be read.
    bool OpenStepFile(const QString &path);

    QString statusText() const;

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

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    friend MainWindowUi ui(frmControl &window); // the tests' view of the controls

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
    };

    void buildControls();  // MainWindowControls.cpp
    void connectHandlers(); // MainWindowControls.cpp
    void connectCycleTimeField(); // CycleTimeField.cpp
    void connectRun(); // RunControl.cpp
    void setRunLocked(bool locked); // RunControl.cpp
    void setDataButtons(); // EditCommands.cpp: Insert/Delete follow the row count
    void connectTableEditing(); // ClipboardCommands.cpp
    bool tableEditable() const; // ClipboardCommands.cpp: not during a run
    void showPlayedStep(int position); // Sequencer.cpp
    // Shows a message box with the application title as caption (unless given).
    MessageBox::Answer MsgBox(const QString &text,
                              MessageBox::Buttons buttons = MessageBox::Buttons::Ok,
                              MessageBox::Icon icon = MessageBox::Icon::None,
                              const QString &caption = QString(),
                              MessageBox::Answer defaultButton = MessageBox::Answer::Ok);
    // Sends a command; when the port refuses it, a run in progress ends as
    // a lost link ends it, and otherwise the operator is told here.
    bool sendOrReport(const QString &command);
    void setStatusText(const QString &text);
    void releaseInstrument(); // Shutdown.cpp
    // A crash under remote operation sends the same three commands, after a
    // CR that ends any command cut short. Armed while Remote is selected,
    // disarmed when Local is and once the instrument has been released.
    void armCrashGuard(bool remote); // Shutdown.cpp

    // --- state ---------------------------------------------------------------------
    bool NoPortAvailable = false;
    qint32 NextStepNumber = 0;

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
    QShortcut *m_stopKey = nullptr; // Escape: STOP, while a run goes on

    // The secondary windows, when open.
    QPointer<frmDataSetting> DataSetting;
    QPointer<frmAbout> About;

    Platform m_platform;
    WindowMessages m_messages{*this};
    // Destroyed in reverse: the run before the link it sends on.
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<StepDocument> m_document;
    std::unique_ptr<RunController> m_run;
    std::unique_ptr<RunRecording> m_recording;
    bool m_inResize = false;
    bool m_closingOnSignal = false; // no questions: message boxes go to standard error
    bool m_closed = false;          // the close path has run
};
