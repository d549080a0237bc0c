// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "gui/steps/RangedField.h"
#include "gui/widgets/QtMessageBox.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class MessageBox;
class StepListView;

// The step editor: a window of its own, without owner and without blocking
// the main window, in which the operator changes the seven values of the
// step table's selected row. OK writes them into the row that is selected
// when it is pressed; during a run, when the selection is the sequencer's,
// into the row the editor was loaded from. Closing deletes the window. It knows the table and
// the message boxes, not the window that holds the table.
class frmDataSetting : public QWidget
{
    Q_OBJECT
public:
    frmDataSetting(StepListView *table, MessageBox &messages);

    // Fills the lists and copies the selected row's label and values in.
    void Form_Load();

    void cmdOK_Click();
    void cmdCancle_Click();
    void txtVoltage_GotFocus();
    void txtVoltage_LostFocus();
    void txtVoltage_KeyPress(int keyAscii);
    void txtFrequency_GotFocus();
    void txtFrequency_LostFocus();
    void txtFrequency_KeyPress(int keyAscii);
    void txtStartPhase_GotFocus();
    void txtStartPhase_LostFocus();
    void txtStartPhase_KeyPress(int keyAscii);
    void txtStopPhase_GotFocus();
    void txtStopPhase_LostFocus();
    void txtStopPhase_KeyPress(int keyAscii);
    void txtWorkTime_GotFocus();
    void txtWorkTime_LostFocus();
    void txtWorkTime_KeyPress(int keyAscii);

    // --- controls (object names as in the design) ---------------------------
    QGroupBox *fraDataSetting = nullptr;
    QLabel *labOutput = nullptr;
    QComboBox *cboOutput = nullptr;
    QLabel *labRange = nullptr;
    QComboBox *cboRange = nullptr;
    QLabel *labVoltage = nullptr;
    QLineEdit *txtVoltage = nullptr;
    QLabel *labFrequency = nullptr;
    QLineEdit *txtFrequency = nullptr;
    QLabel *labStartPhase = nullptr;
    QLineEdit *txtStartPhase = nullptr;
    QLabel *labStopPhase = nullptr;
    QLineEdit *txtStopPhase = nullptr;
    QLabel *labWorkTime = nullptr;
    QLineEdit *txtWorkTime = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancle = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The five numeric fields, in tab order.
    enum class Numeric { Voltage, Frequency, StartPhase, StopPhase, WorkTime };

    void buildControls();
    void connectHandlers();
    // The field with its range, reporting to messages().
    RangedField ranged(Numeric which);
    // Runs the check of the numeric field that has the focus, as leaving it
    // would; false when the field refused its value.
    bool focusedFieldAccepted();
    // The table while the window that holds it is open; nullptr once that
    // window closed or went away.
    StepListView *openTable() const;
    // The program's message boxes, or our own once the table is gone.
    MessageBox &messages();

    // The row to write into: the selected one, or during a run the loaded
    // one (0 when it has gone, and then OK says so).
    int targetRow(StepListView &table) const;

    QPointer<StepListView> m_table;
    QPersistentModelIndex m_loadedRow; // follows inserts and deletes; invalid once removed
    MessageBox &m_messages;
    const QObject *m_watchedMainWindow = nullptr; // for identity only
    bool m_mainWindowClosed = false;
    QtMessageBox m_ownMessages;
};
