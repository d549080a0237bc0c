// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/programs/RunRecordFile.h"

#include "domain/instrument/Commands.h"
#include "domain/instrument/RunRecorder.h"
#include "domain/instrument/SequencerCore.h"
#include "domain/steps/LenientNumber.h"
#include "domain/steps/StepTableModel.h"

#include "domain/system/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {
// RFC 4180 rows, one at a time, over the bytes of the whole file.
class CsvRows
{
public:
    explicit CsvRows(const QByteArray &bytes) : m_bytes(bytes) {}

    // How much of the bytes has been read, from 0 to 1.
    double done() const { return m_bytes.isEmpty() ? 1.0 : double(m_at) / double(m_bytes.size()); }

    // False at the end of the bytes. A row whose quote is not closed by its
    // line's end is broken: the recorder writes control characters out, so
    // no cell of its holds a line end, and the next line is read as a row.
    bool next(QList<QByteArray> &fields)
    {
        fields.clear();
        m_broken = false;
        const qsizetype n = m_bytes.size();
        if (m_at >= n)
            return false;
        QByteArray field;
        for (;;) {
            if (m_at < n && m_bytes[m_at] == '"') {
                ++m_at;
                while (m_at < n) {
                    if (m_bytes[m_at] == '\r' || m_bytes[m_at] == '\n') {
                        m_broken = true;
                        break;
                    }
                    const char c = m_bytes[m_at++];
                    if (c == '"') {
                        if (m_at < n && m_bytes[m_at] == '"') {
                            field += '"';
                            ++m_at;
                        } else {
                            break;
                        }
                    } else {
                        field += c;
                    }
                }
            }
            const qsizetype start = m_at;
            while (m_at < n && m_bytes[m_at] != ',' && m_bytes[m_at] != '\r' && m_bytes[m_at] != '\n')
                ++m_at;
            field += QByteArrayView(m_bytes).sliced(start, m_at - start);
            fields.append(field);
            field.clear();
            if (m_at < n && m_bytes[m_at] == ',') {
                ++m_at;
                continue;
            }
            if (m_at < n && m_bytes[m_at] == '\r')
                ++m_at;
            if (m_at < n && m_bytes[m_at] == '\n')
                ++m_at;
            return true;
        }
    }

    bool broken() const { return m_broken; }

private:
    const QByteArray &m_bytes;
    qsizetype m_at = 0;
    bool m_broken = false;
};

// The recorder writes a cell that begins with one of = + - @ ' TAB CR with
// an apostrophe in front, so that a spreadsheet shows it as text, a
// backslash as two and a control character as \xNN. Read back as the text
// it was.
QByteArray cellText(QByteArray cell)
{
    if (cell.size() >= 2 && cell[0] == '\'' && QByteArrayView("=+-@'\\\t\r").contains(cell[1]))
        cell.remove(0, 1);
    if (!cell.contains('\\'))
        return cell;
    QByteArray text;
    text.reserve(cell.size());
    for (qsizetype i = 0; i < cell.size(); ++i) {
        if (cell[i] == '\\' && i + 1 < cell.size() && cell[i + 1] == '\\') {
            text += '\\';
            ++i;
            continue;
        }
        if (cell[i] == '\\' && i + 3 < cell.size() && cell[i + 1] == 'x') {
            bool hex = false;
            const int c = cell.mid(i + 2, 2).toInt(&hex, 16);
            if (hex) {
                text += QString(QChar(c)).toUtf8();
                i += 3;
                continue;
            }
        }
        text += cell[i];
    }
    return text;
}

bool startsWith(const QByteArray &command, const QString &header)
{
    return command.startsWith(header.toLatin1());
}

QString argument(const QByteArray &command, const QString &header)
{
    return QString::fromUtf8(command.mid(header.size()));
}

QString whyUnopened(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("cannot open \"%1\": it is no regular file").arg(path);
    if (info.size() > MaxRecordBytes)
        return QStringLiteral("\"%1\" is %2 MB, more than the %3 MB of a run record the program reads")
            .arg(path)
            .arg(info.size() / 1e6, 0, 'f', 1)
            .arg(MaxRecordBytes / 1e6, 0, 'f', 1);
    QFile file(path); // a regular file or none: opened only for the system's reason
    file.open(QIODevice::ReadOnly);
    return QStringLiteral("cannot open \"%1\": %2").arg(path, file.errorString());
}

void readSideFile(RecordedRun &run)
{
    QFile file;
    if (!openRegularFile(file, RunRecorder::sideFileFor(run.recordPath), 1 << 20))
        return;
    const QJsonObject side = QJsonDocument::fromJson(file.readAll()).object();
    run.port = side.value(QLatin1String("port")).toString();
    run.baud = side.value(QLatin1String("baud")).toString();
    run.stepFile = side.value(QLatin1String("stepFile")).toString();
    run.stepFileSha256 = side.value(QLatin1String("stepFileSha256")).toString();
    run.stepFileNote = side.value(QLatin1String("stepFileNote")).toString();
    run.outcome = side.value(QLatin1String("outcome")).toString();
    run.stretchedSteps = side.value(QLatin1String("stretchedSteps")).toInteger(-1);
}
} // namespace

std::optional<RecordedRun> readRunRecord(const QString &csvPath, QString *error,
                                         const std::function<bool(double)> &progress)
{
    // Only a regular file: a FIFO would block the read, a device such as
    // /dev/zero never end it.
    QFile file;
    if (!openRegularFile(file, csvPath, MaxRecordBytes)) {
        *error = whyUnopened(csvPath);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    CsvRows rows(bytes);
    QList<QByteArray> fields;
    if (!rows.next(fields) || fields != QList<QByteArray>{"time", "elapsed_ms", "step", "command"}) {
        *error = QStringLiteral("\"%1\" is no run record (its first line is not "
                                "time,elapsed_ms,step,command)")
                     .arg(csvPath);
        return std::nullopt;
    }

    RecordedRun run;
    run.recordPath = csvPath;
    readSideFile(run);
    QByteArray lastTime;
    QByteArray label;       // of the step being read
    bool stepTurned = true; // its ":SOUR:TURN " has been read
    QString voltage, frequency, phase, output;
    RecordedStep *current = nullptr;
    qint64 endMs = -1;
    std::optional<qint64> lastElapsed;
    qint64 line = 1;
    const auto stray = [&] {
        if (run.strayLines++ == 0)
            run.firstStrayLine = line;
    };
    while (rows.next(fields)) {
        ++line;
        if (progress && line % 65536 == 0 && !progress(rows.done())) {
            *error = QStringLiteral("cancelled");
            return std::nullopt;
        }
        if (rows.broken()) {
            stray();
            continue;
        }
        if (fields.size() != 4) {
            if (fields != QList<QByteArray>{QByteArray()}) // a blank line at the end is none
                stray();
            continue;
        }
        bool timed = false;
        const qint64 elapsed = fields[1].toLongLong(&timed);
        // The recorder's times never run back: a row that does is not its.
        if ((!timed && !fields[1].isEmpty()) || (timed && lastElapsed && elapsed < *lastElapsed)) {
            stray();
            continue;
        }
        if (timed)
            lastElapsed = elapsed;
        ++run.rows;
        lastTime = fields[0];
        if (!timed)
            continue; // before RUN, in a record of a run that never started
        run.lastMs = std::max(run.lastMs, elapsed);
        if (!run.runAt.isValid()) {
            run.runAt = QDateTime::fromString(QString::fromLatin1(fields[0]), Qt::ISODateWithMs);
            if (run.runAt.isValid())
                run.runAt = run.runAt.addMSecs(-elapsed);
        }
        const QByteArray command = cellText(fields[3]);
        const QByteArray step = fields[2].isEmpty() ? QByteArray() : cellText(fields[2]);
        if (step.isEmpty()) {
            // RUN's commands, the end of the run, the close path.
            if (current && startsWith(command, Command::OutputRelay) && endMs < 0)
                endMs = elapsed;
            if (current && current->heldMs == 0 && endMs < 0)
                current->heldMs = std::max<qint64>(0, elapsed - current->startMs);
            continue;
        }
        if (!current || stepTurned || step != label) {
            if (current)
                current->heldMs = std::max<qint64>(0, elapsed - current->startMs);
            RecordedStep next;
            next.label = QString::fromUtf8(step);
            next.startMs = elapsed;
            run.steps.append(next);
            current = &run.steps.last();
            label = step;
            stepTurned = false;
            endMs = -1;
        }
        if (startsWith(command, Command::StartPhase))
            phase = argument(command, Command::StartPhase);
        else if (startsWith(command, Command::Frequency))
            frequency = argument(command, Command::Frequency);
        else if (startsWith(command, Command::Voltage))
            voltage = argument(command, Command::Voltage);
        else if (startsWith(command, Command::Turn)) {
            output = argument(command, Command::Turn);
            stepTurned = true;
            current->voltage = voltage;
            current->frequency = frequency;
            current->startPhase = phase;
            current->output = output;
        }
    }
    // Even a run of no step records RUN's commands and its end.
    run.endRecorded = run.rows > 0 && (!current || endMs >= 0);
    if (current && current->heldMs == 0)
        current->heldMs = endMs >= 0 ? std::max<qint64>(0, endMs - current->startMs) : -1;
    run.durationMs = endMs >= 0 ? endMs : run.lastMs;
    run.endAt = QDateTime::fromString(QString::fromLatin1(lastTime), Qt::ISODateWithMs);
    return run;
}

qint64 matchProgram(RecordedRun &run, const StepTableModel &program)
{
    RunState state;
    state.StepTotal = program.count();
    state.RunCycles = -1; // as many cycles as the record holds
    state.CyclesLeft = -1;
    state.CurrentStep = 1;
    qint64 matched = 0;
    SequencerStep step = advanceSequencer(state, program);
    for (RecordedStep &recorded : run.steps) {
        if (step.action != SequencerStep::Action::Play || program.row(step.position).label != recorded.label)
            break;
        recorded.dwellMs = step.periodMs;
        recorded.expectedMs = step.periodMs;
        step = advanceSequencer(state, program);
        if (step.action == SequencerStep::Action::Rewind) {
            // The last step of a cycle is held once more before the rewind.
            recorded.expectedMs += recorded.dwellMs;
            step = advanceSequencer(state, program);
        }
        ++matched;
    }
    // The step a run ended in was held until what ended it (STOP, --seconds,
    // a signal, the link), not for what the program says: only a completed
    // run's last step has a hold to compare. Without a side file it is not
    // known how the run ended.
    const bool endedEarly = !run.outcome.isEmpty() && !run.outcome.startsWith(QLatin1String("completed"));
    if (endedEarly && matched > 0 && matched == run.steps.size())
        run.steps.last().expectedMs = -1;
    return matched;
}

bool heldLonger(const RecordedStep &step)
{
    if (step.expectedMs < 0 || step.heldMs < 0)
        return false;
    return step.heldMs - step.expectedMs > std::max<qint64>(5, step.expectedMs / 50);
}

Timeline recordedTimeline(const RecordedRun &run)
{
    Timeline timeline;
    timeline.steps.reserve(run.steps.size());
    for (const RecordedStep &recorded : run.steps) {
        TimelineStep step;
        step.startMs = recorded.startMs;
        step.heldMs = std::max<qint64>(0, recorded.heldMs);
        step.volts = lenientNumber(recorded.voltage);
        step.hertz = lenientNumber(recorded.frequency);
        step.outputOn = recorded.output.trimmed().compare(QLatin1String("off"), Qt::CaseInsensitive) != 0;
        step.stretched = heldLonger(recorded);
        step.label = recorded.label;
        timeline.steps.append(step);
    }
    timeline.lengthMs = run.durationMs;
    return timeline;
}
