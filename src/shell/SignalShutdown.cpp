// Closing when the process is told to end (SIGTERM, SIGINT, SIGHUP).
#include "shell/frmControl.h"

void frmControl::closeOnSignal()
{
    close();
}
