// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "report/RunReport.h"

#include "report/ProgramChart.h"

#include "domain/files/WholeFile.h"
#include "domain/steps/StepText.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

namespace {
constexpr double Margin = 40; // points
constexpr double ChartHeight = 300;

QString seconds(qint64 ms)
{
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 3);
}

QString timeText(const QDateTime &at)
{
    return at.isValid() ? at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz t")) : QStringLiteral("unknown");
}

QString orUnknown(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("unknown") : text;
}

// One row of the step table, columns padded for a fixed-width font.
// Cells padded to their column's width: negative widths are left-aligned
// and cut with an ellipsis, positive ones right-aligned.
QString fixedColumns(const QStringList &cells, std::initializer_list<int> widths)
{
    QString row;
    qsizetype i = 0;
    for (const int w : widths) {
        if (i >= cells.size())
            break;
        // A control character takes no room in the font: written out, it
        // keeps the columns after it in place and shows what the label holds.
        QString cell = StepText::escapeControls(cells[i++]);
        if (w < 0 && cell.size() > -w)
            cell = cell.left(-w - 1) + QChar(0x2026);
        row += w < 0 ? cell.leftJustified(-w) : cell.rightJustified(w);
        row += QLatin1Char(' ');
    }
    return row;
}

QString tableRow(const QStringList &cells)
{
    return fixedColumns(cells, {7, -28, 9, 9, 7, 8, 8, 8, 1});
}

// Where the record and its side file disagree, or the file is not as written.
QStringList damageNotes(const RecordedRun &run)
{
    QStringList notes;
    if (run.rows == 0 && run.steps.isEmpty())
        notes << QStringLiteral("The record holds no command, not even RUN's: it is cut, whatever the side "
                                "file says (\"%1\").")
                     .arg(orUnknown(run.outcome));
    else if (!run.endRecorded)
        notes << QStringLiteral("The record ends %1 s after RUN, before the run's end (no \":OUTP \" after "
                                "the last step).")
                     .arg(seconds(run.lastMs))
              << QStringLiteral("It is cut, whatever the side file says (\"%1\"); the last step's held time "
                                "is unknown.")
                     .arg(orUnknown(run.outcome));
    if (run.strayLines > 0)
        notes << QStringLiteral("%1 line(s) of the record were skipped (unreadable, or their time runs "
                                "back), the first at line %2.")
                     .arg(run.strayLines)
                     .arg(run.firstStrayLine);
    return notes;
}

QStringList header(const RecordedRun &run, const ReportProgram &program, qint64 stretchedFromTimes)
{
    QStringList lines;
    QString file = orUnknown(run.stepFile);
    lines << QStringLiteral("Record: ") + QFileInfo(run.recordPath).fileName();
    lines << QStringLiteral("Step file: ") + file;
    lines << QStringLiteral("SHA-256: ") + orUnknown(run.stepFileSha256)
                 + (run.stepFileNote.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(run.stepFileNote));
    if (!program.path.isEmpty()) {
        QString compared;
        if (program.sha256.isEmpty())
            compared = QStringLiteral("cannot be read");
        else if (run.stepFileSha256.isEmpty())
            compared = QStringLiteral("the record names no checksum");
        else if (program.sha256 == run.stepFileSha256)
            compared = QStringLiteral("the file that was played");
        else
            compared = QStringLiteral("DIFFERS from the file that was played");
        lines << QStringLiteral("Program compared: ") + program.path + QStringLiteral(": ") + compared;
        if (!program.sha256.isEmpty() && program.sha256 != run.stepFileSha256)
            lines << QStringLiteral("Its SHA-256: ") + program.sha256;
    } else if (!run.stepFile.isEmpty() && !QFileInfo(run.stepFile).isFile())
        lines << QStringLiteral("Step file not found: ") + run.stepFile
                     + QStringLiteral(" (the dwells cannot be compared)");
    lines << QStringLiteral("Port: ") + orUnknown(run.port) + QStringLiteral("    Baud: ")
                 + orUnknown(run.baud);
    lines << QStringLiteral("Start (RUN): ") + timeText(run.runAt) + QStringLiteral("    End: ")
                 + timeText(run.endAt);
    lines << QStringLiteral("Duration: ") + seconds(run.durationMs) + QStringLiteral(" s");
    lines << QStringLiteral("Ended: ") + orUnknown(run.outcome);
    QString stretched = run.stretchedSteps >= 0 ? QString::number(run.stretchedSteps)
                                                : QStringLiteral("unknown");
    if (program.loaded)
        stretched += QStringLiteral(" (held longer than the program by the record's times: %1)")
                         .arg(stretchedFromTimes);
    lines << QStringLiteral("Steps played: %1    Stretched: ").arg(run.steps.size()) + stretched;
    if (program.loaded && program.matched < run.steps.size())
        lines << QStringLiteral("The program gives the dwell of the first %1 steps only: after them the "
                                "record does not follow it.")
                     .arg(program.matched);
    lines << damageNotes(run);
    return lines;
}

// Times in the record are whole milliseconds.
constexpr qint64 RecordResolutionMs = 1;
constexpr qsizetype MaxListedDifferences = 1000;
constexpr qsizetype MaxFullTable = 500;

QString heldText(qint64 ms)
{
    return ms < 0 ? QStringLiteral("unknown") : seconds(ms);
}

QString summaryRow(const QStringList &cells)
{
    return fixedColumns(cells, {-30, 8, 10, 10, 10, 10, 10, 1});
}
} // namespace

QList<ReportRowSummary> summariseRows(const RecordedRun &run)
{
    // The record names a step by its label; with its dwell that tells the
    // program's rows apart (the IEC program's gaps share theirs and are one).
    QHash<QPair<QString, int>, qsizetype> index;
    QList<ReportRowSummary> rows;
    QList<QList<qint64>> held;
    for (const RecordedStep &s : run.steps) {
        const auto key = qMakePair(s.label, s.dwellMs);
        auto it = index.find(key);
        if (it == index.end()) {
            it = index.insert(key, rows.size());
            ReportRowSummary r;
            r.label = s.label;
            r.dwellMs = s.dwellMs;
            rows << r;
            held << QList<qint64>();
        }
        ReportRowSummary &r = rows[*it];
        ++r.played;
        // A cut record's last step: played, its held time unknown.
        if (s.heldMs < 0)
            continue;
        held[*it] << s.heldMs;
        if (s.expectedMs >= 0) {
            const qint64 diff = s.heldMs - s.expectedMs;
            if (!r.known || std::abs(diff) > std::abs(r.worstDiffMs))
                r.worstDiffMs = diff;
            r.known = true;
        }
        r.heldLonger = r.heldLonger || heldLonger(s);
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QList<qint64> &times = held[i];
        if (times.isEmpty()) {
            rows[i].leastMs = rows[i].medianMs = rows[i].mostMs = -1;
            continue;
        }
        std::sort(times.begin(), times.end());
        rows[i].leastMs = times.constFirst();
        rows[i].mostMs = times.constLast();
        rows[i].medianMs = times[times.size() / 2];
    }
    return rows;
}

QList<qsizetype> differingSteps(const RecordedRun &run)
{
    QList<qsizetype> steps;
    for (qsizetype i = 0; i < run.steps.size(); ++i) {
        const RecordedStep &s = run.steps[i];
        if (s.expectedMs >= 0 && s.heldMs >= 0 && std::abs(s.heldMs - s.expectedMs) > RecordResolutionMs)
            steps << i;
    }
    return steps;
}

bool writeRunReport(const RecordedRun &run, const ReportProgram &program, const QString &path, QString *error)
{
    // Drawn in memory, then written whole: a full disk leaves no part of a report.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(72);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(Margin, Margin, Margin, Margin), QPageLayout::Point));
    pdf.setTitle(QStringLiteral("Run report ") + QFileInfo(run.recordPath).fileName());
    pdf.setCreator(QStringLiteral("quorra"));
    QPainter p;
    if (!p.begin(&pdf)) {
        *error = QStringLiteral("cannot write \"%1\"").arg(path);
        return false;
    }
    // The painter's origin is the corner of the printable area, inside the margins.
    const QRectF page(QPointF(0, 0), pdf.pageLayout().paintRectPixels(pdf.resolution()).size());
    const Timeline timeline = recordedTimeline(run);
    qint64 stretchedFromTimes = 0;
    for (const TimelineStep &s : timeline.steps)
        stretchedFromTimes += s.stretched ? 1 : 0;

    // No ligatures: the text of the report must read back as it was written.
    QFont body = p.font();
    body.setStyleStrategy(QFont::PreferNoShaping);
    body.setPointSizeF(9);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setStyleStrategy(QFont::PreferNoShaping);
    mono.setPointSizeF(7.5);
    QFont title = body;
    title.setPointSizeF(14);
    title.setBold(true);

    double y = page.top();
    p.setFont(title);
    y += QFontMetricsF(title, &pdf).ascent();
    p.drawText(QPointF(page.left(), y), QStringLiteral("Run report"));
    y += QFontMetricsF(title, &pdf).descent() + 6;
    p.setFont(body);
    const QFontMetricsF bodyMetrics(body, &pdf);
    for (const QString &line : header(run, program, stretchedFromTimes)) {
        // A sentence too long for the page wraps; a path that cannot wrap is
        // cut in its middle.
        const QRectF wrapped = bodyMetrics.horizontalAdvance(line) <= page.width()
                                   ? QRectF()
                                   : bodyMetrics.boundingRect(QRectF(page.left(), y, page.width(),
                                                                     page.height()),
                                                              Qt::TextWordWrap, line);
        if (!wrapped.isEmpty() && wrapped.width() <= page.width()) {
            p.drawText(QRectF(page.left(), y + bodyMetrics.height() - bodyMetrics.ascent(), page.width(),
                              wrapped.height()),
                       Qt::TextWordWrap, line);
            y += wrapped.height();
            continue;
        }
        y += bodyMetrics.height();
        p.drawText(QPointF(page.left(), y), bodyMetrics.elidedText(line, Qt::ElideMiddle, page.width()));
    }
    y += 8;
    drawProgramChart(p, QRectF(page.left(), y, page.width(), ChartHeight), timeline,
                     {QStringLiteral("What was sent"), QString(), QStringLiteral("The record holds no step")});
    y += ChartHeight + 10;

    // The sections that follow, continued over as many pages as they need.
    p.setFont(mono);
    const QFontMetricsF monoMetrics(mono, &pdf);
    const double rowHeight = monoMetrics.height();
    int pageNumber = 1;
    QString columns;
    const auto columnLine = [&] {
        if (columns.isEmpty())
            return;
        y += rowHeight;
        p.drawText(QPointF(page.left(), y), columns);
        p.drawLine(QPointF(page.left(), y + 2), QPointF(page.right(), y + 2));
        y += 2;
    };
    bool pagesLeft = true;
    const auto line = [&](const QString &text) {
        if (!pagesLeft)
            return;
        if (y + rowHeight > page.bottom() - rowHeight) {
            p.drawText(QPointF(page.left(), page.bottom()), QStringLiteral("Page %1").arg(pageNumber++));
            if (!pdf.newPage()) {
                pagesLeft = false;
                return;
            }
            y = page.top();
            columnLine();
        }
        y += rowHeight;
        p.drawText(QPointF(page.left(), y), text);
    };
    const auto section = [&](const QString &heading, const QString &columnText) {
        columns.clear();
        y += rowHeight / 2;
        p.setFont(body);
        line(heading);
        p.setFont(mono);
        columns = columnText;
        if (y + 3 * rowHeight > page.bottom() - rowHeight)
            line(QString()); // no heading alone at a page's foot
        columnLine();
    };

    const QList<ReportRowSummary> summary = summariseRows(run);
    section(QStringLiteral("Steps by program row (label and dwell): %1 rows; * held longer at least once")
                .arg(summary.size()),
            summaryRow({QStringLiteral("Step"), QStringLiteral("Played"), QStringLiteral("Dwell [s]"),
                        QStringLiteral("Least [s]"), QStringLiteral("Median [s]"), QStringLiteral("Most [s]"),
                        QStringLiteral("Worst [ms]"), QString()}));
    for (const ReportRowSummary &r : summary)
        line(summaryRow({r.label, QString::number(r.played),
                         r.dwellMs >= 0 ? seconds(r.dwellMs) : QStringLiteral("-"), heldText(r.leastMs),
                         heldText(r.medianMs), heldText(r.mostMs),
                         r.known ? QString::number(r.worstDiffMs) : QStringLiteral("-"),
                         r.heldLonger ? QStringLiteral("*") : QString()}));

    const QString stepColumns = tableRow({QStringLiteral("#"), QStringLiteral("Step"),
                                          QStringLiteral("Volt [V]"), QStringLiteral("Freq [Hz]"),
                                          QStringLiteral("Phase"), QStringLiteral("Dwell [s]"),
                                          QStringLiteral("Held [s]"), QStringLiteral("Diff [ms]"), QString()});
    const auto stepLine = [&](qsizetype i) {
        const RecordedStep &s = run.steps[i];
        const bool known = s.expectedMs >= 0;
        QString dwell = known ? seconds(s.dwellMs) : QStringLiteral("-");
        if (known && s.expectedMs != s.dwellMs)
            dwell = QStringLiteral("2x") + dwell; // the last step of a cycle
        line(tableRow({QString::number(i + 1), s.label, s.voltage, s.frequency, s.startPhase, dwell,
                       heldText(s.heldMs),
                       known && s.heldMs >= 0 ? QString::number(s.heldMs - s.expectedMs) : QStringLiteral("-"),
                       heldLonger(s) ? QStringLiteral("*") : QString()}));
    };

    const QList<qsizetype> differing = differingSteps(run);
    section(QStringLiteral("Steps held more than %1 ms other than their dwell: %2")
                .arg(RecordResolutionMs)
                .arg(differing.size()),
            differing.isEmpty() ? QString() : stepColumns);
    for (qsizetype n = 0; n < differing.size() && n < MaxListedDifferences; ++n)
        stepLine(differing[n]);
    if (differing.size() > MaxListedDifferences)
        line(QStringLiteral("... and %1 more; the record holds every step.")
                 .arg(differing.size() - MaxListedDifferences));

    if (run.steps.size() <= MaxFullTable) {
        section(QStringLiteral("Every step played"), stepColumns);
        for (qsizetype i = 0; i < run.steps.size(); ++i)
            stepLine(i);
    } else {
        columns.clear();
        line(QString());
        p.setFont(body);
        line(QStringLiteral("%1 steps were played: the record holds each of them; this report lists every "
                            "step only for runs of at most %2.")
                 .arg(run.steps.size())
                 .arg(MaxFullTable));
    }
    p.drawText(QPointF(page.left(), page.bottom()), QStringLiteral("Page %1").arg(pageNumber));
    if (!p.end()) {
        *error = QStringLiteral("cannot write \"%1\"").arg(path);
        return false;
    }
    buffer.close();
    QString reason;
    if (writeWholeFile(path, bytes, reason))
        return true;
    *error = QStringLiteral("cannot write \"%1\": %2").arg(path, reason);
    return false;
}
