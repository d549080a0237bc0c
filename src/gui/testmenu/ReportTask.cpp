// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/testmenu/ReportTask.h"

#include "domain/files/FileChecksum.h"
#include "domain/files/StepFile.h"
#include "domain/programs/RunRecordFile.h"
#include "domain/steps/StepTableModel.h"
#include "domain/ui/BusyPointer.h"
#include "domain/ui/TextMessages.h"
#include "report/RunReport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

const QString ReportTask::Cancelled = QStringLiteral("cancelled");

QString writeReportFor(const QString &recordPath, const QString &pdf,
                       const std::function<bool(double)> &progress)
{
    QString error;
    // Reading the record is most of the work: a long run's is tens of megabytes.
    std::optional<RecordedRun> run = readRunRecord(recordPath, &error,
                                                   [&](double done) { return progress(done * 0.9); });
    if (!run)
        return error;
    ReportProgram program;
    if (QFileInfo(run->stepFile).isFile()) {
        StepTableModel steps;
        TextMessages quiet(TextMessages::standardError(QStringLiteral("quorra: ")),
                           TextMessages::Caption::Left);
        NoBusyPointer busy;
        program.path = run->stepFile;
        program.sha256 = fileSha256(run->stepFile);
        if (ModTool::ReadStepFile(steps, run->stepFile, quiet, busy)) {
            program.loaded = true;
            program.matched = matchProgram(*run, steps);
        }
    }
    if (!progress(0.9))
        return ReportTask::Cancelled;
    if (!writeRunReport(*run, program, pdf, &error))
        return error.isEmpty() ? QStringLiteral("it cannot be written") : error;
    return {};
}

ReportTask::ReportTask(const QString &record, const QString &pdf, QWidget *window)
    : QObject(window), m_poll(new QTimer(this))
{
    m_dialog = new QProgressDialog(
        QStringLiteral("Writing the report %1...").arg(QDir::toNativeSeparators(pdf)), QStringLiteral("Cancel"),
        0, 1000, window);
    m_dialog->setObjectName(QStringLiteral("dlgReportProgress"));
    m_dialog->setWindowModality(Qt::NonModal); // a run goes on beside it
    m_dialog->setMinimumDuration(1000);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    connect(m_dialog, &QProgressDialog::canceled, this, &ReportTask::cancel);
    m_poll->setInterval(100);
    connect(m_poll, &QTimer::timeout, this, [this] {
        if (m_dialog)
            m_dialog->setValue(m_shared->permille.load());
    });
    m_poll->start();

    const std::shared_ptr<Shared> shared = m_shared;
    QPointer<ReportTask> task(this);
    QThread *worker = QThread::create([shared, task, record, pdf] {
        const QString why = writeReportFor(record, pdf, [&shared](double done) {
            shared->permille.store(static_cast<int>(done * 1000));
            return !shared->cancelled.load();
        });
        QMetaObject::invokeMethod(
            qApp,
            [task, pdf, why] {
                if (!task)
                    return;
                task->m_poll->stop();
                if (task->m_dialog)
                    task->m_dialog->deleteLater();
                emit task->finished(pdf, why);
                task->deleteLater();
            },
            Qt::QueuedConnection);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start(QThread::LowPriority);
}

ReportTask::~ReportTask()
{
    // A report still being written when its window goes ends soon and is not kept.
    m_shared->cancelled.store(true);
    delete m_dialog;
}

QProgressDialog *ReportTask::progressDialog() const
{
    return m_dialog;
}

void ReportTask::cancel()
{
    m_shared->cancelled.store(true);
}
