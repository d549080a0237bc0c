// The resize rule of the main window.
#include "shell/frmControl.h"

#include <QResizeEvent>

void frmControl::Form_Resize() {}

void frmControl::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmControl::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
}

void frmControl::mnuAbout_Click() {}
