// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The main window's controls: kinds, names, captions, design places and
// tab order, and the wiring of their events to the handlers.
#include "gui/shell/frmControl.h"
#include "gui/shell/frmControlUi.h"

#include "domain/files/StepDocument.h"
#include "domain/instrument/InstrumentSession.h"
#include "gui/shell/AppIcon.h"
#include "gui/shell/ResizeRule.h"
#include "gui/steps/StepListView.h"
#include "gui/widgets/ChoiceList.h"
#include "gui/widgets/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include <functional>
#include <memory>

namespace {
// Raises an option's handler when a click (of the mouse, a key or the access
// key) makes it the selected option. A click on the option that is already
// selected changes nothing and raises nothing.
void onBecameSelected(QRadioButton *option, QObject *context, std::function<void()> handler)
{
    auto selectedBefore = std::make_shared<bool>(false);
    // Every click starts with a press, whatever gives it.
    QObject::connect(option, &QAbstractButton::pressed, context,
                     [option, selectedBefore] { *selectedBefore = option->isChecked(); });
    QObject::connect(option, &QAbstractButton::clicked, context,
                     [option, selectedBefore, handler = std::move(handler)] {
                         if (!*selectedBefore && option->isChecked())
                             handler();
                     });
}

template <typename W>
W *place(QWidget *parent, const char *name, const QString &caption, int left, int top, int width, int height,
         int tabIndex)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    if constexpr (std::is_base_of_v<QGroupBox, W>)
        w->setTitle(caption);
    else if constexpr (requires { w->setText(caption); })
        w->setText(caption);
    setDesignGeometry(w, left, top, width, height);
    // Captions that only show text may need more room than the design gave them.
    constexpr bool captionOnly
        = std::is_same_v<W, QLabel> || std::is_same_v<W, QCheckBox> || std::is_same_v<W, QRadioButton>;
    if constexpr (captionOnly)
        widenToCaption(w);
    // The lists are editable drop-downs. Made editable here, so that the edit
    // field joins the focus chain right behind its list: the tab order set
    // below moves a list and its edit field together.
    if constexpr (std::is_same_v<W, QComboBox>)
        ChoiceList::makeEditable(w);
    w->setProperty("tabIndex", tabIndex);
    return w;
}

template <typename W>
W *place(QWidget *parent, const char *name, const QString &caption, const ResizeRule::TwipsRect &r,
         int tabIndex)
{
    return place<W>(parent, name, caption, r.left, r.top, r.width, r.height, tabIndex);
}
} // namespace

// The designed client area (11880 x 8310 twips) is everything below the menu
// bar, the status bar included: 7935 twips of controls above a status bar of
// 375. In Qt the status bar sits outside the central widget, so the central
// widget is the designed client area less the status bar, and the design's
// places, measured from the client area's top-left corner, are places in the
// central widget as they stand.
void frmControlUi::setupUi(QMainWindow *window)
{
    window->setFont(designFont(window->font()));
    auto *client = new QWidget(window);
    client->setObjectName(QStringLiteral("frmControlClient"));
    window->setCentralWidget(client);

    fraSystemMode = place<QGroupBox>(client, "fraSystemMode", QStringLiteral("System  Mode"), 240, 240, 1695,
                                     2175, 0);
    optSystemMode_0 = place<QRadioButton>(fraSystemMode, "optSystemMode_0", QStringLiteral("&Local"), 360, 600,
                                          975, 255, 10);
    optSystemMode_1 = place<QRadioButton>(fraSystemMode, "optSystemMode_1", QStringLiteral("Re&Mote"), 360,
                                          1200, 1095, 255, 11);

    fraRunMode = place<QGroupBox>(client, "fraRunMode", QStringLiteral("Run Mode"), 2040, 240, 2655, 2175, 1);
    cboRunMode = place<QComboBox>(fraRunMode, "cboRunMode", QString(), 480, 600, 1695, 315, 12);
    labCycleTime = place<QLabel>(fraRunMode, "labCycleTime", QStringLiteral("Cycle Time"), 360, 1200, 780, 195,
                                 16);
    txtCycleTime = place<QLineEdit>(fraRunMode, "txtCycleTime", QString(), 480, 1440, 1695, 315, 13);
    chkOutputRelay = place<QCheckBox>(fraRunMode, "chkOutputRelay", QStringLiteral("Output Relay Always On"),
                                      240, 1800, 2175, 255, 22);
    chkOutputRelay->setEnabled(false); // stored design flag is false; nothing reads it

    fraComm = place<QGroupBox>(client, "fraComm", QStringLiteral("Communication"), 4800, 240, 2655, 2175, 2);
    labCommPort = place<QLabel>(fraComm, "labCommPort", QStringLiteral("Port"), 360, 360, 285, 195, 17);
    cboCommPort = place<QComboBox>(fraComm, "cboCommPort", QString(), 480, 600, 1695, 315, 14);
    labBaudRate = place<QLabel>(fraComm, "labBaudRate", QStringLiteral("Baud Rate"), 360, 1200, 765, 195, 18);
    cboBaudRate = place<QComboBox>(fraComm, "cboBaudRate", QString(), 480, 1440, 1695, 315, 15);
    labPortSetting = place<QLabel>(fraComm, "labPortSetting", QStringLiteral("Port Setting"), 1440, 1800, 825,
                                   195, 21);

    cmdRunStop = place<QPushButton>(client, "cmdRunStop", QStringLiteral("&RUN"), 7800, 1200, 1215, 495, 3);
    cmdReset = place<QPushButton>(client, "cmdReset", QStringLiteral("Re&set"), 7800, 1920, 1215, 495, 4);

    // The frame that follows the window's size and what it holds: their
    // design places are shared with the resize rule.
    namespace D = ResizeRule::Design;
    fraData = place<QGroupBox>(client, "fraData", QStringLiteral("Data Setting"), D::fraData, 5);
    livData = place<StepListView>(fraData, "livData", QString(), D::livData, 6);
    chkDataSelectAll = place<QCheckBox>(fraData, "chkDataSelectAll", QStringLiteral("Select All"),
                                        D::chkDataSelectAll, 7);
    cmdDataInsert = place<QPushButton>(fraData, "cmdDataInsert", QStringLiteral("&Insert"), D::cmdDataInsert,
                                       8);
    cmdDataDelete = place<QPushButton>(fraData, "cmdDataDelete", QStringLiteral("&Delete"), D::cmdDataDelete,
                                       9);
    cmdDataAppend = place<QPushButton>(fraData, "cmdDataAppend", QStringLiteral("&Append"), D::cmdDataAppend,
                                       20);

    for (QPushButton *button : {cmdRunStop, cmdReset, cmdDataInsert, cmdDataDelete, cmdDataAppend})
        button->setAutoDefault(false);

    StatusBar1 = new QStatusBar(window);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setProperty("tabIndex", 19);
    StatusBar1->setSizeGripEnabled(true);
    StatusBar1->setFixedHeight(twipsToPixels(D::StatusBarHeight));
    StatusBar1Text = new QLabel(StatusBar1);
    StatusBar1Text->setObjectName(QStringLiteral("StatusBar1Text"));
    StatusBar1->addWidget(StatusBar1Text, 1);
    window->setStatusBar(StatusBar1);

    // Focus order, by the design's tab indexes (frames and labels take none).
    QWidget *order[] = {cmdRunStop,    cmdReset,        livData,         chkDataSelectAll, cmdDataInsert,
                        cmdDataDelete, optSystemMode_0, optSystemMode_1, cboRunMode,       txtCycleTime,
                        cboCommPort,   cboBaudRate,     cmdDataAppend,   chkOutputRelay};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);

    // Menus, without shortcut keys.
    mnuFile = window->menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    auto addItem = [](QMenu *menu, const char *name, const QString &caption) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    mnuNew = addItem(mnuFile, "mnuNew", QStringLiteral("&New"));
    mnuOpen = addItem(mnuFile, "mnuOpen", QStringLiteral("&Open"));
    numS1 = mnuFile->addSeparator();
    numS1->setObjectName(QStringLiteral("numS1"));
    mnuSave = addItem(mnuFile, "mnuSave", QStringLiteral("&Save"));
    mnuSaveAs = addItem(mnuFile, "mnuSaveAs", QStringLiteral("&Save as"));
    numS2 = mnuFile->addSeparator();
    numS2->setObjectName(QStringLiteral("numS2"));
    mnuExit = addItem(mnuFile, "mnuExit", QStringLiteral("&Exit"));
    mnuTest = window->menuBar()->addMenu(QStringLiteral("&Test"));
    mnuTest->setObjectName(QStringLiteral("mnuTest"));
    mnuDipTest = addItem(mnuTest, "mnuDipTest", QStringLiteral("&IEC 61000-4-11 Program..."));
    mnuCheckLine = addItem(mnuTest, "mnuCheckLine", QStringLiteral("Check &Line Time"));
    mnuCheckLine->setCheckable(true);
    mnuChart = addItem(mnuTest, "mnuChart", QStringLiteral("&Chart"));
    mnuTest->addSeparator();
    mnuRunRecords = addItem(mnuTest, "mnuRunRecords", QStringLiteral("&Run Records..."));
    mnuOpenReport = addItem(mnuTest, "mnuOpenReport", QStringLiteral("&Open Last Report"));
    mnuOpenReport->setEnabled(false);
    mnuHelp = window->menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = addItem(mnuHelp, "mnuAbout", QStringLiteral("&About..."));

    setIconAfterFirstFrame(window);
    // The minimum is an outer size; the resize handler corrects it for the
    // frame once the window is shown and the frame is known.
    window->setMinimumSize(twipsToPixels(ResizeRule::MinimumWidth), twipsToPixels(ResizeRule::MinimumHeight));
    window->resize(twipsToPixels(11880), twipsToPixels(8310) + window->menuBar()->sizeHint().height());
}

void frmControl::connectHandlers()
{
    // Operator events only: handlers that a selection made by the program
    // must raise are called directly where the program makes it.
    onBecameSelected(m_ui.optSystemMode_0, this, [this] { optSystemMode_Click(0); });
    onBecameSelected(m_ui.optSystemMode_1, this, [this] { optSystemMode_Click(1); });
    connect(m_ui.cboRunMode, &QComboBox::activated, this, [this] { cboRunMode_Click(); });
    connect(m_ui.cboCommPort, &QComboBox::activated, this, [this] { cboCommPort_Click(); });
    connect(m_ui.cboBaudRate, &QComboBox::activated, this, [this] { cboBaudRate_Click(); });
    connect(m_ui.cmdRunStop, &QPushButton::clicked, this, [this] { cmdRunStop_Click(); });
    connect(m_ui.cmdReset, &QPushButton::clicked, this, [this] { cmdReset_Click(); });
    connect(m_ui.cmdDataInsert, &QPushButton::clicked, this, [this] { cmdDataInsert_Click(); });
    connect(m_ui.cmdDataAppend, &QPushButton::clicked, this, [this] { cmdDataAppend_Click(); });
    connect(m_ui.cmdDataDelete, &QPushButton::clicked, this, [this] { cmdDataDelete_Click(); });
    connect(m_ui.chkDataSelectAll, &QCheckBox::clicked, this, [this] { chkDataSelectAll_Click(); });
    connect(m_ui.livData, &StepListView::itemCheck, this, [this](int row) { livData_ItemCheck(row); });
    connect(m_ui.livData, &StepListView::dblClick, this, [this] { livData_DblClick(); });
    connect(m_ui.mnuNew, &QAction::triggered, this, [this] { mnuNew_Click(); });
    connect(m_ui.mnuOpen, &QAction::triggered, this, [this] { mnuOpen_Click(); });
    connect(m_ui.mnuSave, &QAction::triggered, this, [this] { mnuSave_Click(); });
    connect(m_ui.mnuSaveAs, &QAction::triggered, this, [this] { mnuSaveAs_Click(); });
    connect(m_ui.mnuExit, &QAction::triggered, this, [this] { mnuExit_Click(); });
    connect(m_ui.mnuAbout, &QAction::triggered, this, [this] { mnuAbout_Click(); });
    connectCycleTimeField();
    connectTableEditing();
    connectTestMenu();
    connectRun();
    // The "not available" message names the port list's entry as shown.
    connect(m_ui.cboCommPort, &QComboBox::currentTextChanged, this, [this](const QString &entry) {
        m_session->setPortName(entry);
        // The list's tooltip is the chosen entry's: why it last failed.
        m_ui.cboCommPort->setToolTip(m_ui.cboCommPort->currentData(Qt::ToolTipRole).toString());
    });
    connect(m_document.get(), &StepDocument::titleChanged, this, &QWidget::setWindowTitle);
}
