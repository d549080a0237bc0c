// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Paste of 100,000 rows from the clipboard into the shown table, and its
// undo. Prints medians and the ratio against a plain insert of the same
// rows into the table's model, measured in the same run.
#include "BenchTiming.h"
#include "domain/steps/StepRowsText.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QClipboard>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr int Rows = 100000;

// A test plan as a spreadsheet copies it: every row's numbers differ, so
// no cell repeats the cell above.
QString spreadsheetText()
{
    QString text;
    for (int i = 0; i < Rows; ++i) {
        text += QStringLiteral("P%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\r\n")
                    .arg(i)
                    .arg(i % 2 ? "On" : "Off")
                    .arg(i % 3 ? "Low" : "High")
                    .arg((i % 31000) / 100.0, 0, 'f', 2)
                    .arg(40 + (i % 46000) / 100.0, 0, 'f', 2)
                    .arg((i % 36000) / 100.0, 0, 'f', 2)
                    .arg((i * 7 % 36000) / 100.0, 0, 'f', 2)
                    .arg(0.01 + (i % 6552) / 100.0, 0, 'f', 2);
    }
    return text;
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FakePlatform fake;
    std::unique_ptr<frmControl> w = startedWindow(fake);
    w->show();
    QApplication::processEvents();
    StepListView *table = w->ui().livData;

    const QString text = spreadsheetText();
    std::printf("clipboard: %d rows, %lld characters\n", Rows, static_cast<long long>(text.size()));
    const std::vector<StepRecord> rows = StepRowsText::parse(text).rows;

    const int runs = 7;
    std::vector<double> parse, paste, undo, redo, baseline;
    bool allPasted = true;
    bool allUndone = true;
    for (int run = 0; run < runs; ++run) {
        w->document().setModified(false);
        w->mnuNew_Click();
        QApplication::clipboard()->setText(text);
        parse.push_back(millisecondsOf([&] { (void)StepRowsText::parse(text); }));
        paste.push_back(millisecondsOf([&] {
            w->livData_Paste();
            QApplication::processEvents();
        }));
        allPasted = allPasted && table->count() == Rows && fake.messages.shown.isEmpty();
        undo.push_back(millisecondsOf([&] {
            w->livData_Undo();
            QApplication::processEvents();
        }));
        allUndone = allUndone && table->count() == 0;
        redo.push_back(millisecondsOf([&] {
            w->livData_Redo();
            QApplication::processEvents();
        }));

        w->document().setModified(false);
        w->mnuNew_Click();
        std::vector<StepRecord> copy = rows;
        // Baseline: the same rows, already checked, in one model insert.
        baseline.push_back(millisecondsOf([&] {
            table->steps().addRows(1, std::move(copy));
            QApplication::processEvents();
        }));
    }

    std::printf("parse and check %d rows (median of %d):  %9.2f ms\n", Rows, runs, median(parse));
    std::printf("paste, handler + repaint (median):        %9.2f ms\n", median(paste));
    std::printf("undo of the paste (median):               %9.2f ms\n", median(undo));
    std::printf("redo of the paste (median):               %9.2f ms\n", median(redo));
    std::printf("baseline, plain model insert (median):    %9.2f ms\n", median(baseline));
    std::printf("ratio paste / baseline: %.1fx\n", median(paste) / median(baseline));
    std::printf("every paste complete: %s, every undo complete: %s\n", allPasted ? "yes" : "NO",
                allUndone ? "yes" : "NO");
    return allPasted && allUndone ? 0 : 1;
}
