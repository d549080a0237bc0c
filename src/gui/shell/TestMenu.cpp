// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The Test menu: the IEC 61000-4-11 program, the line check, the chart and
// the run records with their reports.
#include "gui/shell/frmControl.h"

#include "domain/files/FileChecksum.h"
#include "domain/files/StepDocument.h"
#include "domain/programs/DipTest.h"
#include "domain/programs/RunRecordFile.h"
#include "gui/steps/StepEdits.h"
#include "gui/steps/StepListView.h"
#include "gui/steps/StepUndoCommands.h"
#include "gui/testmenu/ChartWindow.h"
#include "gui/testmenu/DipTestDialog.h"
#include "gui/testmenu/LineTimeMarks.h"
#include "gui/testmenu/ReportTask.h"
#include "report/RunReport.h"

#include "domain/files/StepFile.h"
#include "domain/ui/BusyPointer.h"
#include "domain/ui/TextMessages.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QSettings>
#include <QThread>

namespace {
// A generated program in place of the table, as one step of the history.
class ReplaceTableCommand : public StepCommand
{
public:
    ReplaceTableCommand(StepEdits &edits, std::vector<StepRecord> before, std::vector<StepRecord> after)
        : StepCommand(edits, QStringLiteral("IEC 61000-4-11 Program")), m_before(std::move(before)),
          m_after(std::move(after))
    {
    }
    void redo() override
    {
        table().steps().replaceAll(m_after);
        changed();
    }
    void undo() override
    {
        table().steps().replaceAll(m_before);
        changed();
    }

private:
    std::vector<StepRecord> m_before, m_after;
};

bool onlyToolTips(const QList<int> &roles)
{
    return roles == QList<int>{Qt::ToolTipRole};
}

} // namespace

void frmControl::connectTestMenu()
{
    StepListView &view = *m_ui.livData;
    m_lineMarks = new LineTimeMarks(view.steps(), view, this);
    view.setItemDelegateForColumn(StepRecord::WorkTime, new LineTimeDelegate(*m_lineMarks, &view));
    connect(m_ui.mnuDipTest, &QAction::triggered, this, [this] { mnuDipTest_Click(); });
    connect(m_ui.mnuCheckLine, &QAction::triggered, this, [this] { mnuCheckLine_Click(); });
    connect(m_ui.mnuChart, &QAction::triggered, this, [this] { mnuChart_Click(); });
    connect(m_ui.mnuRunRecords, &QAction::triggered, this, [this] { mnuRunRecords_Click(); });
    connect(m_ui.mnuOpenReport, &QAction::triggered, this, [this] { mnuOpenReport_Click(); });
    // The baud rate the marks and the chart assume is the list's.
    connect(m_ui.cboBaudRate, &QComboBox::currentTextChanged, this, [this](const QString &baud) {
        m_lineMarks->setBaud(baud.toInt());
        if (Chart)
            Chart->setBaud(baud.toInt());
    });
    InstrumentSession *session = m_session.get();
    connect(session, &InstrumentSession::runStarted, this, [this] {
        if (Chart)
            Chart->runStarted();
    });
    connect(session, &InstrumentSession::stepPlayed, this, [this](int position, const RunState &) {
        if (Chart)
            Chart->stepPlayed(position);
    });
    connect(session, &InstrumentSession::stepHeld, this, [this](int position, int, int) {
        if (Chart)
            Chart->stepHeld(position);
    });
    connect(session, &InstrumentSession::runEnded, this, [this] {
        if (Chart)
            Chart->runEnded();
        writeReportAfterRun();
    });
}

void frmControl::setTestSettings(const TestSettings &settings, QSettings *store)
{
    m_testSettings = settings;
    m_settingsStore = store;
    setRecordDirectory(settings.recordDirectory);
    m_ui.mnuCheckLine->setChecked(settings.checkLineTime);
    m_lineMarks->setBaud(m_ui.cboBaudRate->currentText().toInt());
    m_lineMarks->setActive(settings.checkLineTime);
}

void frmControl::mnuDipTest_Click()
{
    DipTestDialog dialog(this);
    dialog.setBaud(m_ui.cboBaudRate->currentText().toInt());
    if (dialog.exec() != QDialog::Accepted || !dialog.error().isEmpty())
        return;
    // As New: a modified program is offered for saving first.
    std::vector<StepRecord> before = m_document->steps().rows();
    if (!m_document->newDocument())
        return;
    m_ui.livData->edits().clearHistory();
    std::vector<StepRecord> rows = DipTest::generate(dialog.options()).rows;
    m_ui.livData->edits().history().push(
        new ReplaceTableCommand(m_ui.livData->edits(), std::move(before), std::move(rows)));
    m_document->setModified(true);
    setDataButtons();
}

void frmControl::mnuCheckLine_Click()
{
    m_testSettings.checkLineTime = m_ui.mnuCheckLine->isChecked();
    if (m_settingsStore)
        m_settingsStore->setValue(QStringLiteral("Test/CheckLineTime"), m_testSettings.checkLineTime);
    m_lineMarks->setBaud(m_ui.cboBaudRate->currentText().toInt());
    m_lineMarks->setActive(m_testSettings.checkLineTime);
}

void frmControl::mnuChart_Click()
{
    if (!Chart) {
        Chart = new ChartWindow(m_ui.livData->steps(), m_ui.cboBaudRate->currentText().toInt());
        // Tooltip notes of a run are no change of the program.
        connect(&m_ui.livData->steps(), &StepTableModel::dataChanged, Chart,
                [chart = Chart.data()](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                    if (!onlyToolTips(roles))
                        chart->programChanged();
                });
    }
    Chart->show();
    Chart->raise();
    Chart->activateWindow();
}

void frmControl::mnuRunRecords_Click()
{
    RunRecordsDialog dialog(m_testSettings.recordDirectory, m_testSettings.writeReports, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_testSettings.recordDirectory = dialog.directory();
    m_testSettings.writeReports = dialog.writeReports();
    setRecordDirectory(m_testSettings.recordDirectory);
    if (m_settingsStore) {
        m_settingsStore->setValue(QStringLiteral("Record/Directory"), m_testSettings.recordDirectory);
        m_settingsStore->setValue(QStringLiteral("Record/WriteReports"), m_testSettings.writeReports);
    }
}

void frmControl::mnuOpenReport_Click()
{
    if (m_lastReport.isEmpty() || !m_reportViewer)
        return;
    const QString shown = QDir::toNativeSeparators(m_lastReport);
    if (!QFileInfo::exists(m_lastReport))
        MsgBox(QStringLiteral("The report %1 is no longer there.").arg(shown));
    else if (!m_reportViewer(m_lastReport))
        MsgBox(QStringLiteral("The report %1 could not be shown: no program to show PDF files was found.")
                   .arg(shown));
}

void frmControl::writeReportAfterRun()
{
    const QString record = m_session->recordPath();
    if (!m_testSettings.writeReports || m_testSettings.recordDirectory.isEmpty() || record.isEmpty())
        return;
    const QString pdf = (record.endsWith(QLatin1String(".csv")) ? record.chopped(4) : record)
                        + QStringLiteral(".pdf");
    // Beside the window and a next run, with its progress after a second.
    m_reportBusy = true;
    m_reportTask = new ReportTask(record, pdf, this);
    connect(m_reportTask, &ReportTask::finished, this, [this](const QString &written, const QString &why) {
        m_reportBusy = false;
        if (why == ReportTask::Cancelled)
            return; // the operator asked for it
        if (!why.isEmpty()) {
            MsgBox(QStringLiteral("The report %1 was not written: %2")
                       .arg(QDir::toNativeSeparators(written), why));
            return;
        }
        m_lastReport = written;
        m_ui.mnuOpenReport->setEnabled(true);
        emit reportWritten(written);
    });
}
