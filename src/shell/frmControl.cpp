#include "shell/frmControl.h"

#include "instrument/PortText.h"
#include "instrument/RunLifecycle.h"
#include "instrument/RunRecorder.h"
#include "platform/ChoiceList.h"
#include "platform/PortNames.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"
#include "shell/Texts.h"
#include "steps/StepListView.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

frmControl::frmControl(const Platform &platform, QWidget *parent)
    : QMainWindow(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("frmControl"));
    buildControls();
    connectHandlers();
    watchLinkLoss(*this);
}

frmControl::~frmControl()
{
    m_platform.timer->onTick = nullptr;
    m_platform.port->onLinkLost = nullptr;
}

void frmControl::Form_Load()
{
    NoPortAvailable = false;
    setWindowTitle(Texts::WindowTitle);

    cboCommPort->addItem(QStringLiteral("COM 1"));
    cboCommPort->addItem(QStringLiteral("COM 2"));
    // Each entry's tooltip tells what it is connected to.
    for (int i = 0; i < cboCommPort->count(); ++i)
        cboCommPort->setItemData(i, portDescription(portNumberFromText(cboCommPort->itemText(i))),
                                 Qt::ToolTipRole);

    // Port probe: the first entry whose port opens wins, silently.
    SerialPort &port = *m_platform.port;
    for (int i = 0; i < cboCommPort->count(); ++i) {
        if (port.PortOpen())
            port.setPortOpen(false);
        port.setCommPort(portNumberFromText(cboCommPort->itemText(i)));
        const bool opened = port.PortOpen() || port.setPortOpen(true);
        if (opened) {
            cboCommPort->setCurrentIndex(i);
            cboCommPort_Click();
            break;
        }
        if (i == cboCommPort->count() - 1) {
            MsgBox(Texts::NoPortsMessage);
            NoPortAvailable = true;
            close();
            return;
        }
    }

    for (const char *baud : {"1200", "2400", "4800", "9600"})
        cboBaudRate->addItem(QLatin1String(baud));
    ChoiceList::showEntry(cboBaudRate, QStringLiteral("9600"));
    cboBaudRate_Click();

    optSystemMode_0->setChecked(true);
    optSystemMode_Click(0);

    for (const char *mode : {"Single", "Continuous", "Cycle"})
        cboRunMode->addItem(QLatin1String(mode));
    ChoiceList::showEntry(cboRunMode, QStringLiteral("Single"));
    cboRunMode_Click();

    txtCycleTime->setText(QStringLiteral("1"));
    NextStepNumber = 1;

    // The step table's view and columns are set up with the table itself.
    cmdDataInsert->setEnabled(false);
    cmdDataAppend->setEnabled(true);
    cmdDataDelete->setEnabled(false);

    Modified = false;
    mnuNew_Click();
}
