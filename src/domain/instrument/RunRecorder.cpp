// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/instrument/RunRecorder.h"

#include "domain/instrument/RecordWriter.h"
#include "domain/steps/StepText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <utility>

RunRecorder::RunRecorder(QString directory, Clock clock)
    : m_directory(std::move(directory)), m_clock(std::move(clock))
{
    if (!m_clock) {
        // Times from one monotonic base: a clock set back during a run
        // cannot reorder the rows or make elapsed times jump.
        auto since = std::make_shared<QElapsedTimer>();
        since->start();
        const QDateTime origin = QDateTime::currentDateTime();
        m_clock = [since, origin] { return origin.addMSecs(since->elapsed()); };
    }
}

RunRecorder::~RunRecorder()
{
    finish();
}

QString RunRecorder::fileNameFor(const QDateTime &at)
{
    return QStringLiteral("quorra-run-") + at.toString(QStringLiteral("yyyyMMdd-HHmmss"))
           + QStringLiteral(".csv");
}

QString RunRecorder::csvField(const QString &text)
{
    static const QString special = QStringLiteral(",\"\r\n");
    bool quote = false;
    for (const QChar c : text)
        quote = quote || special.contains(c);
    if (!quote)
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString RunRecorder::csvCell(const QString &text)
{
    static const QString formulaStart = QStringLiteral("=+-@\t\r'");
    const bool formula = !text.isEmpty() && formulaStart.contains(text.front());
    const QString escaped = StepText::escapeControls(
        QString(text).replace(QLatin1Char('\\'), QLatin1String("\\\\")));
    return csvField(formula ? QLatin1Char('\'') + escaped : escaped);
}

QString RunRecorder::writeAll(QFileDevice &file, const QByteArray &bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        errno = 0;
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        const int systemError = errno;
        if (n > 0) {
            done += n;
            continue;
        }
        // The device's own text, unless it only knows that something failed.
        if (file.error() != QFileDevice::NoError && file.error() != QFileDevice::UnspecifiedError)
            return file.errorString();
        return systemError ? qt_error_string(systemError) : file.errorString();
    }
    return {};
}

QString RunRecorder::isoTime(const QDateTime &at)
{
    const int offset = at.offsetFromUtc() / 60;
    const int hours = std::abs(offset) / 60, minutes = std::abs(offset) % 60;
    return at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
           + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
           + QStringLiteral("%1:%2").arg(hours, 2, 10, QLatin1Char('0')).arg(minutes, 2, 10, QLatin1Char('0'));
}

bool RunRecorder::begin()
{
    if (m_file.isOpen() || failed())
        return !failed();
    QDir dir(m_directory);
    if (m_directory.isEmpty() || !dir.mkpath(QStringLiteral(".")))
        return fail(QStringLiteral("cannot create the directory \"%1\"").arg(m_directory));
    const QString name = fileNameFor(m_clock());
    for (int n = 1; n < 100; ++n) {
        const QString candidate = n == 1 ? name : name.chopped(4) + QStringLiteral("-%1.csv").arg(n);
        m_file.setFileName(dir.filePath(candidate));
        // The side file takes the record's name: one already there (or a
        // link by that name) makes the name taken, so that it is never
        // written over or through.
        const QFileInfo side(sideFileFor(m_file.fileName()));
        if (side.exists() || side.isSymLink())
            continue;
        // Never write over an earlier record.
        // Unbuffered: each row goes to the system as it is written.
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            break;
        if (m_file.exists())
            continue;
        return fail(QStringLiteral("cannot create \"%1\": %2").arg(m_file.fileName(), m_file.errorString()));
    }
    if (!m_file.isOpen())
        return fail(QStringLiteral("too many records named \"%1\" already").arg(dir.filePath(name)));
    m_whole = 0;
    if (!writeWhole("time,elapsed_ms,step,command\r\n")) {
        m_file.remove(); // nothing of it was written: no empty record is left
        return false;
    }
    m_begun = m_clock();
    if (!writeSideFile(false))
        return false;
    m_writer = std::make_unique<RecordWriter>(m_file, m_whole);
    return true;
}

bool RunRecorder::markRun()
{
    if (m_run)
        return true;
    m_run = m_clock();
    bool ok = true;
    for (const Row &row : std::exchange(m_held, {}))
        ok = write(row) && ok;
    return ok;
}

bool RunRecorder::record(const QString &command, const QString &step)
{
    Row row{m_clock(), step, command};
    if (!m_run) {
        m_held.append(row);
        return true;
    }
    return write(row);
}

bool RunRecorder::flush()
{
    if (m_writer)
        m_writer->drain();
    return checkWriter();
}

bool RunRecorder::finish()
{
    bool ok = true;
    for (const Row &row : std::exchange(m_held, {}))
        ok = write(row) && ok;
    ok = flush() && ok;
    m_writer.reset();
    if (m_file.isOpen() && !failed() && !QFileInfo::exists(m_file.fileName()))
        return fail(QStringLiteral("\"%1\" was removed before the run's end").arg(m_file.fileName()));
    if (m_file.isOpen()) {
        m_file.close();
        ok = writeSideFile(true) && ok;
    }
    return ok;
}

void RunRecorder::setOutcome(const QString &outcome, qint64 stretchedSteps)
{
    m_outcome = outcome;
    m_stretched = stretchedSteps;
}

QString RunRecorder::sideFileFor(const QString &csvPath)
{
    return (csvPath.endsWith(QLatin1String(".csv")) ? csvPath.chopped(4) : csvPath) + QStringLiteral(".json");
}

bool RunRecorder::writeSideFile(bool ended)
{
    if (!m_details || failed())
        return true;
    QJsonObject side{{QStringLiteral("record"), QFileInfo(m_file.fileName()).fileName()},
                     {QStringLiteral("port"), m_details->port},
                     {QStringLiteral("baud"), m_details->baud},
                     {QStringLiteral("stepFile"),
                      m_details->stepFile.isEmpty() ? QJsonValue() : QJsonValue(m_details->stepFile)},
                     {QStringLiteral("stepFileSha256"), m_details->stepFileSha256},
                     {QStringLiteral("begun"), isoTime(m_begun)}};
    if (!m_details->stepFileNote.isEmpty())
        side.insert(QStringLiteral("stepFileNote"), m_details->stepFileNote);
    if (m_run)
        side.insert(QStringLiteral("run"), isoTime(*m_run));
    if (ended) {
        side.insert(QStringLiteral("ended"), isoTime(m_clock()));
        if (!m_outcome.isEmpty())
            side.insert(QStringLiteral("outcome"), m_outcome);
        if (m_stretched >= 0)
            side.insert(QStringLiteral("stretchedSteps"), m_stretched);
    }
    // Replaced whole, so a reader never finds half of it.
    QSaveFile file(sideFileFor(m_file.fileName()));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(side).toJson()) < 0 || !file.commit())
        return fail(QStringLiteral("cannot write \"%1\": %2").arg(file.fileName(), file.errorString()));
    return true;
}

bool RunRecorder::write(const Row &row)
{
    if (failed() || !m_writer)
        return true; // reported already, or never begun
    if (!checkWriter())
        return false;
    const QString elapsed = m_run ? QString::number(m_run->msecsTo(row.at)) : QString();
    m_writer->append((isoTime(row.at) + QLatin1Char(',') + elapsed + QLatin1Char(',') + csvCell(row.step)
                      + QLatin1Char(',') + csvCell(row.command) + QStringLiteral("\r\n"))
                         .toUtf8());
    return true;
}

bool RunRecorder::writeWhole(const QByteArray &line)
{
    return wrote(RecordWriter::appendWhole(m_file, m_whole, line));
}

bool RunRecorder::checkWriter()
{
    return failed() || !m_writer || wrote(m_writer->failure());
}

bool RunRecorder::wrote(const QString &why)
{
    return why.isEmpty() || fail(QStringLiteral("cannot write \"%1\": %2").arg(m_file.fileName(), why));
}

bool RunRecorder::fail(const QString &why)
{
    if (failed())
        return true;
    m_error = why;
    m_held.clear();
    m_writer.reset(); // the file is the writer's until it ends
    if (m_file.isOpen())
        m_file.close();
    return false;
}
