#include "shell/frmControl.h"

#include "files/FileTexts.h"
#include "files/StepDocument.h"
#include "instrument/PortText.h"
#include "instrument/RunController.h"
#include "instrument/RunRecording.h"
#include "instrument/SerialLink.h"
#include "platform/ChoiceList.h"
#include "platform/PortNames.h"
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
    m_document = std::make_unique<StepDocument>(*m_platform.files, m_messages, *m_platform.busy);
    buildControls();
    m_link = std::make_unique<SerialLink>(*m_platform.port, m_messages);
    m_run = std::make_unique<RunController>(*m_platform.timer, *m_link, livData->steps());
    m_recording = std::make_unique<RunRecording>(*m_link, *m_run, livData->steps());
    m_recording->setRecordEachRun(true);
    connectHandlers();
}

frmControl::~frmControl() = default;

void frmControl::Form_Load()
{
    NoPortAvailable = false;
    setWindowTitle(FileTexts::WindowTitle);

    cboCommPort->addItem(QStringLiteral("COM 1"));
    cboCommPort->addItem(QStringLiteral("COM 2"));
    // Each entry's tooltip tells what it is connected to.
    for (int i = 0; i < cboCommPort->count(); ++i)
        cboCommPort->setItemData(i, portToolTip(portNumberFromText(cboCommPort->itemText(i))),
                                 Qt::ToolTipRole);

    // Port probe: the first entry whose port opens wins, silently.
    for (int i = 0; i < cboCommPort->count(); ++i) {
        const bool opened = m_link->tryPort(portNumberFromText(cboCommPort->itemText(i)));
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

    m_document->setModified(false);
    mnuNew_Click();
}
