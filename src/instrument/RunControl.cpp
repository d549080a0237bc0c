// RUN/STOP and the run modes.
#include "shell/frmControl.h"

#include <QComboBox>
#include <QLineEdit>

void frmControl::cboRunMode_Click()
{
    if (cboRunMode->currentText() == QLatin1String("Cycle")) {
        txtCycleTime->setEnabled(true);
        txtCycleTime->setFocus();
    } else {
        txtCycleTime->setEnabled(false);
    }
}

void frmControl::cmdRunStop_Click() {}
void frmControl::setRunLocked(bool) {}
