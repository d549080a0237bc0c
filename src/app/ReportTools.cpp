// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "app/ReportTools.h"

#include "app/FileTools.h"
#include "domain/files/FileChecksum.h"
#include "domain/programs/LineCheck.h"
#include "domain/programs/RunRecordFile.h"
#include "domain/steps/StepTableModel.h"
#include "report/ProgramPlot.h"
#include "report/RunReport.h"

#include <QFileInfo>

namespace {
constexpr int Written = 0;
constexpr int NotWritten = 1;
constexpr int Unreadable = 2;
// Steps one picture holds at most: a 100,000-step program ten times over.
constexpr qint64 MaxPlottedSteps = 1000000;

// Writes the report; the program is the one given, or the one the record names.
int report(const QString &recordPath, QString programPath, const QString &output)
{
    QString error;
    std::optional<RecordedRun> run = readRunRecord(recordPath, &error);
    if (!run) {
        printError(QStringLiteral("quorra: ") + error + QLatin1Char('\n'));
        return Unreadable;
    }
    ReportProgram program;
    // A program named on the command line must be read; the one the record
    // names only where it is still there (the report then says it is not).
    const bool named = !programPath.isEmpty();
    if (!named && QFileInfo(run->stepFile).isFile())
        programPath = run->stepFile;
    if (!programPath.isEmpty()) {
        StepTableModel steps;
        program.path = programPath;
        program.sha256 = fileSha256(programPath);
        if (readProgramForTool(programPath, steps)) {
            program.loaded = true;
            program.matched = matchProgram(*run, steps);
        } else if (named) {
            return Unreadable;
        }
    }
    if (!writeRunReport(*run, program, output, &error)) {
        printError(QStringLiteral("quorra: ") + error + QLatin1Char('\n'));
        return NotWritten;
    }
    printOut(QStringLiteral("Report: ") + QFileInfo(output).absoluteFilePath() + QLatin1Char('\n'));
    return Written;
}
} // namespace

int runPlot(const ToolOptions &options)
{
    StepTableModel steps;
    if (!readProgramForTool(options.input, steps))
        return Unreadable;
    // Every step played is held in memory on its way to the picture.
    qint64 checked = 0;
    for (const StepRecord &row : steps.rows())
        checked += row.checked ? 1 : 0;
    if (checked * options.cycles > MaxPlottedSteps) {
        printError(QStringLiteral("quorra: %1 steps in %2 cycles are more than the %3 a picture draws\n")
                       .arg(checked)
                       .arg(options.cycles)
                       .arg(MaxPlottedSteps));
        return Unreadable;
    }
    LineSettings line;
    line.baud = options.baud.toInt();
    const LineCheck check = checkLine(steps, line, options.cycles);
    ChartStyle style;
    style.title = QFileInfo(options.input).fileName();
    style.timeNote = QStringLiteral(
                         "%1 step(s) played in %2 cycle(s); %3 held longer than their dwell at %4 baud")
                         .arg(check.stepsPlayed)
                         .arg(options.cycles)
                         .arg(check.stretched.size())
                         .arg(line.baud);
    QString error;
    if (!writeProgramPlot(check.timeline, style, options.output, &error)) {
        printError(QStringLiteral("quorra: ") + error + QLatin1Char('\n'));
        return NotWritten;
    }
    return Written;
}

int runReport(const ToolOptions &options)
{
    return report(options.input, options.program, options.output);
}

void writeReportBesideRecord(const QString &recordPath)
{
    const QString pdf = (recordPath.endsWith(QLatin1String(".csv")) ? recordPath.chopped(4) : recordPath)
                        + QStringLiteral(".pdf");
    report(recordPath, QString(), pdf);
}
