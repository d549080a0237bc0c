// Closing the main window.
#include "shell/frmControl.h"

#include <QCloseEvent>

void frmControl::mnuExit_Click()
{
    close();
}

bool frmControl::Form_Unload()
{
    return false;
}

void frmControl::closeEvent(QCloseEvent *event)
{
    if (Form_Unload())
        event->ignore();
    else
        event->accept();
}
