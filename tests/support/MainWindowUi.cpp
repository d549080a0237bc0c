#include "support/MainWindowUi.h"

#include "instrument/RunController.h"
#include "shell/frmControl.h"

MainWindowUi ui(frmControl &w)
{
    return {w.fraSystemMode, w.optSystemMode_0, w.optSystemMode_1, w.fraRunMode, w.cboRunMode,
            w.labCycleTime,  w.txtCycleTime,    w.chkOutputRelay,  w.fraComm,    w.labCommPort,
            w.cboCommPort,   w.labBaudRate,     w.cboBaudRate,     w.labPortSetting,
            w.cmdRunStop,    w.cmdReset,        w.fraData,         w.livData,    w.chkDataSelectAll,
            w.cmdDataInsert, w.cmdDataDelete,   w.cmdDataAppend,   w.StatusBar1, w.StatusBar1Text,
            w.mnuFile,       w.mnuNew,          w.mnuOpen,         w.numS1,      w.mnuSave,
            w.mnuSaveAs,     w.numS2,           w.mnuExit,         w.mnuHelp,    w.mnuAbout,
            w.DataSetting,   w.About,           w.NextStepNumber,  w.m_run->m_run};
}
