// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Closing when the process is told to end (SIGTERM, SIGINT, SIGHUP): the
// window's own close path, without waiting for an operator. Under remote
// operation the output goes off and the instrument returns to local
// operation; a modified program is kept in a recovery file.
#include "gui/shell/frmControl.h"

#include "domain/files/StepDocument.h"
#include "domain/files/StepFileFormat.h"
#include "domain/instrument/InstrumentSession.h"
#include "gui/shell/frmAbout.h"
#include "gui/steps/StepListView.h"
#include "gui/steps/frmDataSetting.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace {
QString recoveryPath()
{
    const QString stem = QStringLiteral("quorra-recovery-%1-%2")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))
                             .arg(QCoreApplication::applicationPid());
    // Never replace an earlier recovery file.
    QString path = QDir::temp().filePath(stem + QStringLiteral(".log"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir::temp().filePath(QStringLiteral("%1-%2.log").arg(stem).arg(n));
    return path;
}

bool writeRecovery(const QString &path, const std::vector<StepRecord> &rows)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = StepFileFormat::format(rows);
    return file.write(bytes) == bytes.size() && file.commit();
}
} // namespace

void frmControl::closeOnSignal()
{
    if (m_closingOnSignal)
        return;
    m_closingOnSignal = true;
    m_session->stopTicks();

    if (!m_closed && !NoPortAvailable && m_document->modified()) {
        const QString path = recoveryPath();
        if (writeRecovery(path, m_ui.livData->steps().rows()))
            std::fprintf(stderr, "quorra: the unsaved step program was kept in %s\n",
                         qPrintable(QDir::toNativeSeparators(path)));
        else
            std::fprintf(stderr, "quorra: the unsaved step program could not be kept in %s\n",
                         qPrintable(QDir::toNativeSeparators(path)));
    }

    // The output goes off and the instrument is released here, whatever box
    // or dialog is open: a signal that comes while the save question of a
    // close waits has the close already under way, so the close() below
    // does nothing, and the box returns only once the program is ending.
    // A release the close asked for already is carried out first; this one
    // then finds nothing left to do.
    if (!m_closed && !NoPortAvailable)
        m_session->release();

    // The secondary windows go too, so the program ends.
    if (DataSetting)
        DataSetting->close();
    if (About)
        About->close();
    close();
}
