// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/steps/frmDataSetting.h"

#include "gui/steps/StepTableMenu.h"

#include "domain/instrument/SendableSteps.h"
#include "domain/ui/AppTitle.h"
#include "gui/steps/FieldTools.h"
#include "gui/steps/NumericField.h"
#include "gui/steps/StepListView.h"
#include "gui/steps/StepTextValidator.h"
#include "gui/widgets/ChoiceList.h"
#include "gui/widgets/Twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
template <typename W>
W *place(QWidget *parent, const char *name, const QString &caption, int left, int top, int width, int height)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    if constexpr (requires { w->setText(caption); })
        w->setText(caption);
    setDesignGeometry(w, left, top, width, height);
    // The design sizes suit the design's small font; a label whose text
    // needs more room here grows from its place instead of cutting it off.
    if constexpr (std::is_base_of_v<QLabel, W>)
        w->resize(w->size().expandedTo(w->sizeHint()));
    return w;
}

// Each numeric field with its range and its named handlers.
struct NumericEntry
{
    QLineEdit *frmDataSetting::*field;
    const FieldRange &range;
    void (frmDataSetting::*gotFocus)();
    void (frmDataSetting::*lostFocus)();
    void (frmDataSetting::*keyPress)(int keyAscii);
};
const NumericEntry numericEntries[] = {
    {&frmDataSetting::txtVoltage, FieldRanges::Voltage, &frmDataSetting::txtVoltage_GotFocus,
     &frmDataSetting::txtVoltage_LostFocus, &frmDataSetting::txtVoltage_KeyPress},
    {&frmDataSetting::txtFrequency, FieldRanges::Frequency, &frmDataSetting::txtFrequency_GotFocus,
     &frmDataSetting::txtFrequency_LostFocus, &frmDataSetting::txtFrequency_KeyPress},
    {&frmDataSetting::txtStartPhase, FieldRanges::StartPhase, &frmDataSetting::txtStartPhase_GotFocus,
     &frmDataSetting::txtStartPhase_LostFocus, &frmDataSetting::txtStartPhase_KeyPress},
    {&frmDataSetting::txtStopPhase, FieldRanges::StopPhase, &frmDataSetting::txtStopPhase_GotFocus,
     &frmDataSetting::txtStopPhase_LostFocus, &frmDataSetting::txtStopPhase_KeyPress},
    {&frmDataSetting::txtWorkTime, FieldRanges::WorkTime, &frmDataSetting::txtWorkTime_GotFocus,
     &frmDataSetting::txtWorkTime_LostFocus, &frmDataSetting::txtWorkTime_KeyPress},
};
} // namespace

frmDataSetting::frmDataSetting(StepListView *table, MessageBox &messages)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowCloseButtonHint),
      m_table(table), m_messages(messages)
{
    setObjectName(QStringLiteral("frmDataSetting"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Data Setting"));
    buildControls();
    connectHandlers();
    // OK must not write into a main window that has closed.
    if (table) {
        QWidget *mainWindow = table->window();
        m_watchedMainWindow = mainWindow;
        mainWindow->installEventFilter(this);
    }
}

void frmDataSetting::buildControls()
{
    // The design's font, as the main window has: the places suit it.
    setFont(designFont(font()));
    setFixedSize(twipsToPixels(5850), twipsToPixels(5460));

    fraDataSetting = place<QGroupBox>(this, "fraDataSetting", QString(), 120, 120, 3975, 5175);
    QWidget *f = fraDataSetting;
    labOutput = place<QLabel>(f, "labOutput", QStringLiteral("Output"), 360, 720, 480, 195);
    cboOutput = place<QComboBox>(f, "cboOutput", QString(), 1920, 720, 1695, 315);
    labRange = place<QLabel>(f, "labRange", QStringLiteral("Range"), 360, 1200, 480, 195);
    cboRange = place<QComboBox>(f, "cboRange", QString(), 1920, 1200, 1695, 315);
    labVoltage = place<QLabel>(f, "labVoltage", QStringLiteral("Voltage [ V ]"), 360, 1800, 870, 195);
    txtVoltage = place<QLineEdit>(f, "txtVoltage", QString(), 1920, 1800, 1695, 315);
    labFrequency = place<QLabel>(f, "labFrequency", QStringLiteral("Frequency [Hz]"), 360, 2280, 1080, 195);
    txtFrequency = place<QLineEdit>(f, "txtFrequency", QString(), 1920, 2280, 1695, 315);
    labStartPhase = place<QLabel>(f, "labStartPhase", QStringLiteral("Start Phase [Deg]"), 360, 2880, 1260,
                                  195);
    txtStartPhase = place<QLineEdit>(f, "txtStartPhase", QString(), 1920, 2880, 1695, 315);
    labStopPhase = place<QLabel>(f, "labStopPhase", QStringLiteral("Stop Phase [Deg]"), 360, 3360, 1260, 195);
    txtStopPhase = place<QLineEdit>(f, "txtStopPhase", QString(), 1920, 3360, 1695, 315);
    labWorkTime = place<QLabel>(f, "labWorkTime", QStringLiteral("Dwell Time [Sec]"), 360, 3960, 1200, 195);
    txtWorkTime = place<QLineEdit>(f, "txtWorkTime", QString(), 1920, 3960, 1695, 315);
    cmdOK = place<QPushButton>(this, "cmdOK", QStringLiteral("&OK"), 4200, 4200, 1455, 495);
    cmdCancle = place<QPushButton>(this, "cmdCancle", QStringLiteral("&Cancle"), 4200, 4800, 1455, 495);

    // Typed text is taken exactly as typed: Enter does not turn "ON" into
    // the list's "On".
    ChoiceList::makeEditable(cboOutput);
    ChoiceList::makeEditable(cboRange);
    // Every text here may end up in a step file.
    auto *stepText = new StepTextValidator(this);
    cboOutput->setValidator(stepText);
    cboRange->setValidator(stepText);
    for (QLineEdit *field : {txtVoltage, txtFrequency, txtStartPhase, txtStopPhase, txtWorkTime})
        field->setValidator(stepText);
    // No default button: Enter in a field runs the field's check, nothing
    // else. A button that has the focus takes Enter, as buttons do.
    for (QPushButton *button : {cmdOK, cmdCancle}) {
        button->setAutoDefault(true);
        button->setDefault(false);
    }

    QWidget *order[] = {cboOutput,    cboRange,    txtVoltage, txtFrequency, txtStartPhase,
                        txtStopPhase, txtWorkTime, cmdOK,      cmdCancle};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void frmDataSetting::connectHandlers()
{
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        if (focusedFieldAccepted())
            cmdOK_Click();
    });
    connect(cmdCancle, &QPushButton::clicked, this, [this] { cmdCancle_Click(); });
    for (const NumericEntry &e : numericEntries)
        NumericField::attach(this->*e.field,
                             {[this, &e] { (this->*e.gotFocus)(); }, [this, &e] { (this->*e.lostFocus)(); },
                              [this, &e](int k) { (this->*e.keyPress)(k); }});
}

void frmDataSetting::Form_Load()
{
    cboOutput->clear();
    cboOutput->addItems({QStringLiteral("On"), QStringLiteral("Off")});
    cboRange->clear();
    cboRange->addItems({QStringLiteral("Low"), QStringLiteral("High")});

    const StepListView *table = openTable();
    const int position = table ? table->selectedIndex() : 0;
    m_loadedRow = position > 0 ? QPersistentModelIndex(table->model()->index(position - 1, 0))
                               : QPersistentModelIndex();
    if (position > 0) {
        const StepRecord &row = table->item(position);
        fraDataSetting->setTitle(row.label);
        cboOutput->setEditText(row.subItem(StepRecord::Output));
        cboRange->setEditText(row.subItem(StepRecord::Range));
        txtVoltage->setText(row.subItem(StepRecord::Voltage));
        txtFrequency->setText(row.subItem(StepRecord::Frequency));
        txtStartPhase->setText(row.subItem(StepRecord::StartPhase));
        txtStopPhase->setText(row.subItem(StepRecord::StopPhase));
        txtWorkTime->setText(row.subItem(StepRecord::WorkTime));
    }
    cboOutput->setFocus(Qt::OtherFocusReason);
}

void frmDataSetting::cmdOK_Click()
{
    // With no main window or no row left there is nothing to write into.
    if (StepListView *table = openTable()) {
        const int position = targetRow(*table);
        if (position == 0 && table->menu().locked()) {
            messages().show(QStringLiteral("The step this window was opened on is no longer in the table: "
                                           "nothing was changed."),
                            MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation, AppTitle,
                            MessageBox::Answer::Ok);
            return;
        }
        if (position > 0) {
            StepRecord row = table->item(position);
            row.values = {cboOutput->currentText(), cboRange->currentText(), txtVoltage->text(),
                          txtFrequency->text(),     txtStartPhase->text(),   txtStopPhase->text(),
                          txtWorkTime->text()};
            // A run plays the row as written from its next turn on: what RUN
            // would refuse to send is refused here, and the editor stays open.
            if (const UnsendableValue bad = unsendableValueOf(row, position);
                bad.position && row.checked && table->menu().locked()) {
                messages().show(unsendableValueText(row, bad) + QStringLiteral(" Nothing was changed."),
                                MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation, AppTitle,
                                MessageBox::Answer::Ok);
                return;
            }
            table->edits().setStep(position, row); // one step of the table's history
        }
    }
    close();
}

int frmDataSetting::targetRow(StepListView &table) const
{
    // Idle, the row selected now, which need not be the row that was loaded.
    // During a run the sequencer moves the selection from step to step: the
    // values belong to the step they were loaded from.
    if (!table.menu().locked())
        return table.selectedIndex();
    return m_loadedRow.isValid() && m_loadedRow.model() == table.model() ? m_loadedRow.row() + 1 : 0;
}

bool frmDataSetting::focusedFieldAccepted()
{
    // A click on OK takes the focus and so leaves the field first; OK by
    // its access key leaves the focus where it is. Either way the field is
    // left before OK, and a value it refuses keeps the editor open.
    for (const NumericEntry &e : numericEntries) {
        if (focusWidget() != this->*e.field)
            continue;
        QPointer<QLineEdit> field(this->*e.field);
        (this->*e.lostFocus)();
        // A refused value is left as typed, and is still out of range.
        return RangedField(field, e.range, messages()).accepted();
    }
    return true;
}

void frmDataSetting::cmdCancle_Click()
{
    close();
}

void frmDataSetting::keyPressEvent(QKeyEvent *event)
{
    // "&Cancle" is the window's cancel button.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancle->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool frmDataSetting::eventFilter(QObject *watched, QEvent *event)
{
    // The main window may be in the middle of its destruction here: compare
    // addresses only, and look at it as no more than the widget it still is.
    if (watched == m_watchedMainWindow) {
        // A minimised window is still open; a closed one is hidden.
        if (event->type() == QEvent::Hide && static_cast<QWidget *>(watched)->isHidden())
            m_mainWindowClosed = true;
        else if (event->type() == QEvent::Show)
            m_mainWindowClosed = false;
    }
    return QWidget::eventFilter(watched, event);
}

StepListView *frmDataSetting::openTable() const
{
    return m_mainWindowClosed ? nullptr : m_table.data();
}

MessageBox &frmDataSetting::messages()
{
    return m_table ? m_messages : m_ownMessages;
}

RangedField frmDataSetting::ranged(Numeric which)
{
    const NumericEntry &e = numericEntries[static_cast<int>(which)];
    return {this->*e.field, e.range, messages()};
}

void frmDataSetting::txtVoltage_GotFocus()
{
    ranged(Numeric::Voltage).gotFocus();
}
void frmDataSetting::txtVoltage_LostFocus()
{
    ranged(Numeric::Voltage).lostFocus();
}
void frmDataSetting::txtVoltage_KeyPress(int keyAscii)
{
    ranged(Numeric::Voltage).keyPress(keyAscii);
}

void frmDataSetting::txtFrequency_GotFocus()
{
    ranged(Numeric::Frequency).gotFocus();
}
void frmDataSetting::txtFrequency_LostFocus()
{
    ranged(Numeric::Frequency).lostFocus();
}
void frmDataSetting::txtFrequency_KeyPress(int keyAscii)
{
    ranged(Numeric::Frequency).keyPress(keyAscii);
}

void frmDataSetting::txtStartPhase_GotFocus()
{
    ranged(Numeric::StartPhase).gotFocus();
}
void frmDataSetting::txtStartPhase_LostFocus()
{
    ranged(Numeric::StartPhase).lostFocus();
}
void frmDataSetting::txtStartPhase_KeyPress(int keyAscii)
{
    ranged(Numeric::StartPhase).keyPress(keyAscii);
}

void frmDataSetting::txtStopPhase_GotFocus()
{
    ranged(Numeric::StopPhase).gotFocus();
}
void frmDataSetting::txtStopPhase_LostFocus()
{
    ranged(Numeric::StopPhase).lostFocus();
}
void frmDataSetting::txtStopPhase_KeyPress(int keyAscii)
{
    ranged(Numeric::StopPhase).keyPress(keyAscii);
}

void frmDataSetting::txtWorkTime_GotFocus()
{
    ranged(Numeric::WorkTime).gotFocus();
}
void frmDataSetting::txtWorkTime_LostFocus()
{
    ranged(Numeric::WorkTime).lostFocus();
}
void frmDataSetting::txtWorkTime_KeyPress(int keyAscii)
{
    ranged(Numeric::WorkTime).keyPress(keyAscii);
}
