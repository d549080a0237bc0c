// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QProgressDialog;
class QTimer;
class QWidget;

// The report of a run's record, written on a thread of its own at low
// priority, so that neither the window nor a next run waits for it. When
// it takes longer than a second, a progress dialog beside the window shows
// how far it is and can cancel it; a cancelled report leaves no file.
class ReportTask : public QObject
{
    Q_OBJECT
public:
    static const QString Cancelled; // the reason finished() gives after cancel()

    ReportTask(const QString &record, const QString &pdf, QWidget *window);
    ~ReportTask() override;

    void cancel();
    QProgressDialog *progressDialog() const;

signals:
    // why: empty when the report was written, else the reason it was not.
    void finished(const QString &pdf, const QString &why);

private:
    struct Shared
    {
        std::atomic<int> permille{0};
        std::atomic<bool> cancelled{false};
    };
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    QPointer<QProgressDialog> m_dialog;
    QTimer *m_poll;
};

// Writes the report of the record at recordPath to pdf, with the step file
// the record names where it can still be read. Empty when written, the
// reason otherwise. progress hears how far it is (0 to 1) and stops it
// by returning false.
QString writeReportFor(const QString &recordPath, const QString &pdf,
                       const std::function<bool(double)> &progress);
