#pragma once

// The tests' view of the main window's controls and of the state they
// cannot reach through the handlers. The controls carry the names they have
// on the form, so a test reads ui(w).cmdRunStop where the window has its
// private cmdRunStop.

#include "files/StepDocument.h"
#include "instrument/RunController.h"
#include "instrument/RunState.h"

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
class frmAbout;
class frmControl;
class frmDataSetting;

struct MainWindowUi
{
    QGroupBox *fraSystemMode;
    QRadioButton *optSystemMode_0;
    QRadioButton *optSystemMode_1;
    QGroupBox *fraRunMode;
    QComboBox *cboRunMode;
    QLabel *labCycleTime;
    QLineEdit *txtCycleTime;
    QCheckBox *chkOutputRelay;
    QGroupBox *fraComm;
    QLabel *labCommPort;
    QComboBox *cboCommPort;
    QLabel *labBaudRate;
    QComboBox *cboBaudRate;
    QLabel *labPortSetting;
    QPushButton *cmdRunStop;
    QPushButton *cmdReset;
    QGroupBox *fraData;
    StepListView *livData;
    QCheckBox *chkDataSelectAll;
    QPushButton *cmdDataInsert;
    QPushButton *cmdDataDelete;
    QPushButton *cmdDataAppend;
    QStatusBar *StatusBar1;
    QLabel *StatusBar1Text;
    QMenu *mnuFile;
    QAction *mnuNew;
    QAction *mnuOpen;
    QAction *numS1;
    QAction *mnuSave;
    QAction *mnuSaveAs;
    QAction *numS2;
    QAction *mnuExit;
    QMenu *mnuHelp;
    QAction *mnuAbout;

    QPointer<frmDataSetting> &DataSetting;
    QPointer<frmAbout> &About;
    qint32 &NextStepNumber;
    RunState &Run;
};

MainWindowUi ui(frmControl &window);
// For a window the test holds as const: the controls themselves are not.
inline MainWindowUi ui(const frmControl &window)
{
    return ui(const_cast<frmControl &>(window));
}
