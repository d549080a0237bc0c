// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/shell/frmControl.h"
#include "gui/testmenu/ChartWindow.h"

#include "domain/files/FileTexts.h"
#include "domain/files/StepDocument.h"
#include "domain/instrument/InstrumentSession.h"
#include "domain/instrument/PortText.h"
#include "domain/instrument/SessionThread.h"
#include "domain/ports/SerialPort.h"
#include "domain/system/Timer.h"
#include "gui/shell/Texts.h"
#include "gui/steps/StepListView.h"
#include "gui/widgets/ChoiceList.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

frmControl::frmControl(const Platform &platform, QWidget *parent) : QMainWindow(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("frmControl"));
    m_document = std::make_unique<StepDocument>(*m_platform.files, m_messages, *m_platform.busy);
    m_ui.setupUi(this);
    m_ui.livData->setSteps(m_document->steps());
    m_session = std::make_unique<InstrumentSession>(*m_platform.port, *m_platform.timer, m_platform.crash);
    m_session->setRecordEachRun(true);
    // The port and the timer go with the session to its thread.
    m_sessionThread = std::make_unique<SessionThread>(
        *m_session,
        QList<QObject *>{dynamic_cast<QObject *>(m_platform.port), dynamic_cast<QObject *>(m_platform.timer)});
    connectHandlers();
}

frmControl::~frmControl()
{
    delete Chart; // it draws the table, which goes with the window
    m_sessionThread.reset();
}

void frmControl::setPortMap(const PortMap &map)
{
    m_portMap = map;
    m_session->setPortMap(map);
}

void frmControl::Form_Load()
{
    NoPortAvailable = false;
    setWindowTitle(FileTexts::WindowTitle);

    QComboBox *ports = m_ui.cboCommPort;
    ports->addItem(QStringLiteral("COM 1"));
    ports->addItem(QStringLiteral("COM 2"));
    // Each entry's tooltip tells what it is connected to.
    const PortMap &map = m_portMap;
    QList<qint16> numbers;
    for (int i = 0; i < ports->count(); ++i) {
        numbers << portNumberFromText(ports->itemText(i));
        ports->setItemData(i, map.toolTip(numbers.back()), Qt::ToolTipRole);
    }

    // Port probe: the first entry whose port opens wins, silently.
    const int opened = m_session->probe(numbers);
    if (opened < 0) {
        MsgBox(Texts::NoPortsMessage);
        NoPortAvailable = true;
        close();
        return;
    }
    ports->setCurrentIndex(opened);
    cboCommPort_Click();

    for (const char *baud : {"1200", "2400", "4800", "9600"})
        m_ui.cboBaudRate->addItem(QLatin1String(baud));
    ChoiceList::showEntry(m_ui.cboBaudRate, QStringLiteral("9600"));
    cboBaudRate_Click();

    m_ui.optSystemMode_0->setChecked(true);
    optSystemMode_Click(0);

    for (const char *mode : {"Single", "Continuous", "Cycle"})
        m_ui.cboRunMode->addItem(QLatin1String(mode));
    ChoiceList::showEntry(m_ui.cboRunMode, QStringLiteral("Single"));
    cboRunMode_Click();

    m_ui.txtCycleTime->setText(QStringLiteral("1"));
    NextStepNumber = 1;

    // The step table's view and columns are set up with the table itself.
    m_ui.cmdDataInsert->setEnabled(false);
    m_ui.cmdDataAppend->setEnabled(true);
    m_ui.cmdDataDelete->setEnabled(false);

    m_document->setModified(false);
    mnuNew_Click();
}
