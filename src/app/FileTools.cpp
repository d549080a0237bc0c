// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "app/FileTools.h"

#include "domain/steps/StepText.h"
#include "domain/ui/TextMessages.h"

#include "domain/files/StepFile.h"
#include "domain/files/StepFileFormat.h"
#include "domain/files/WholeFile.h"
#include "domain/instrument/RunController.h"
#include "domain/ports/LineSettings.h"
#include "domain/programs/DipTest.h"
#include "domain/programs/LineCheck.h"
#include "domain/steps/StepTableModel.h"
#include "domain/ui/BusyPointer.h"
#include "domain/ui/MessageBox.h"

#include <cstdio>

namespace {
constexpr int Written = 0;
constexpr int NotWritten = 1;
constexpr int Unreadable = 2;
constexpr int Stretched = 1;

} // namespace

void printOut(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

void printError(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

bool readProgramForTool(const QString &path, StepTableModel &steps, MessageBox *told)
{
    // The file reader's messages go to standard error.
    TextMessages standardError(TextMessages::standardError(QStringLiteral("quorra: ")),
                               TextMessages::Caption::Left);
    MessageBox &messages = told ? *told : standardError;
    NoBusyPointer busy;
    QStringList notes;
    if (!ModTool::ReadStepFile(steps, path, messages, busy, &notes))
        return false;
    for (const QString &note : notes)
        messages.show(path + QStringLiteral(": ") + note, {}, {}, {}, {});
    // An empty table's file is a program of no steps; a file read as none
    // because it is no step file (the notes say why) cannot be read.
    if (steps.count() == 0 && !notes.isEmpty()) {
        messages.show(path + QStringLiteral(" holds no steps."), {}, {}, {}, {});
        return false;
    }
    const RunController::Refusal refused = RunController::checkSteps(steps);
    if (refused.reason != RunController::Refusal::Reason::None) {
        messages.show(refused.message, {}, {}, {}, {});
        return false;
    }
    return true;
}

int runGenerate(const ToolOptions &options)
{
    // The options were checked when the command line was read.
    const DipTest::Program program = DipTest::generate(options.dips);
    const QByteArray bytes = StepFileFormat::format(program.rows);
    // A file the program itself would not open is no program to write.
    if (const QString tooLarge = DipTest::sizeError(qint64(program.rows.size()), bytes.size());
        !tooLarge.isEmpty()) {
        printError(QStringLiteral("quorra: ") + tooLarge + QLatin1Char('\n'));
        return Unreadable;
    }
    QString error;
    if (!writeWholeFile(options.output, bytes, error)) {
        printError(QStringLiteral("quorra: cannot write \"%1\": %2\n").arg(options.output, error));
        return NotWritten;
    }
    for (const QString &notice : program.notices)
        printOut(QStringLiteral("Note: ") + notice + QLatin1Char('\n'));
    // The events the line cannot carry in their time, even at its fastest.
    constexpr int Fastest = 9600;
    if (const QString note = DipTest::lineNote(DipTest::checkProgram(program, Fastest),
                                               qint64(program.rows.size()), Fastest);
        !note.isEmpty())
        printOut(QStringLiteral("Note: %1 (9600 baud is the fastest the program sets); quorra --check %2 "
                                "lists them\n")
                     .arg(note, options.output));
    printOut(QStringLiteral("Wrote %1 steps (IEC 61000-4-11, class %2, UT %3 V, %4 Hz) to %5\n")
                 .arg(program.rows.size())
                 .arg(options.dips.testClass)
                 .arg(options.dips.ut)
                 .arg(options.dips.frequency)
                 .arg(options.output));
    return Written;
}

int runCheck(const ToolOptions &options)
{
    StepTableModel steps;
    if (!readProgramForTool(options.input, steps))
        return Unreadable;
    // As the run without a window refuses it: there is nothing to play.
    if (steps.count() == 0) {
        printError(QStringLiteral("quorra: %1 holds no steps: a run plays nothing.\n").arg(options.input));
        return Unreadable;
    }
    LineSettings line;
    line.baud = options.baud.toInt();
    const LineCheck check = checkLine(steps, line);
    // Labels come from the file: each line shown as it is, never acted on.
    QStringList lines = lineCheckReport(check, line).split(QLatin1Char('\n'));
    for (QString &text : lines)
        text = StepText::escapeControls(text);
    printOut(lines.join(QLatin1Char('\n')));
    return check.stretched.isEmpty() ? Written : Stretched;
}
