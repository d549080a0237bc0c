// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class StepListView;
class StepTableModel;

// The main window's controls, made in one place with their kinds, object
// names, captions, design places and tab order, in the manner of a form's
// generated Ui class. The window reads and changes them; its tests reach
// them read-only through frmControl::ui().
struct frmControlUi
{
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
    QMenu *mnuTest = nullptr;
    QAction *mnuDipTest = nullptr;    // "&IEC 61000-4-11 Program..."
    QAction *mnuCheckLine = nullptr;  // "Check &Line Time", a check mark
    QAction *mnuChart = nullptr;      // "&Chart"
    QAction *mnuRunRecords = nullptr; // "&Run Records..."
    QAction *mnuOpenReport = nullptr; // "&Open Last Report"
    QMenu *mnuHelp = nullptr;
    QAction *mnuAbout = nullptr;

    // Builds the controls into the window; the step table shows steps.
    void setupUi(QMainWindow *window);
};
