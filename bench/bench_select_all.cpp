// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Select All on a large program: 100,000 appended steps, then a click on
// "Select All". Prints medians and the ratio against ticking the rows one
// by one with a change notice each, measured in the same run.
#include "BenchTiming.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr int Steps = 100000;

void untickAll(frmControl &w)
{
    std::vector<StepRecord> rows = w.ui().livData->steps().rows();
    for (StepRecord &r : rows)
        r.checked = false;
    const int selected = w.ui().livData->selectedIndex();
    w.ui().livData->replaceAll(std::move(rows));
    w.ui().livData->select(selected);
    QApplication::processEvents();
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

    std::vector<double> appendTimes;
    for (int run = 0; run < 5; ++run) {
        w->document().setModified(false);
        w->mnuNew_Click();
        appendTimes.push_back(millisecondsOf([&] {
            for (int i = 0; i < Steps; ++i)
                w->cmdDataAppend_Click();
            QApplication::processEvents();
        }));
    }
    std::printf("rows in the table: %d\n", w->ui().livData->count());

    const int runs = 21;
    std::vector<double> handler, handlerAndPaint, baseline;
    for (int run = 0; run < runs; ++run) {
        untickAll(*w);
        handler.push_back(millisecondsOf([&] { w->chkDataSelectAll_Click(); }));
        untickAll(*w);
        handlerAndPaint.push_back(millisecondsOf([&] {
            w->chkDataSelectAll_Click();
            QApplication::processEvents();
        }));
        untickAll(*w);
        // Baseline: the row-by-row walk, one change notice per row.
        baseline.push_back(millisecondsOf([&] {
            StepTableModel &model = w->ui().livData->steps();
            for (int i = 1; i <= model.count(); ++i)
                model.setChecked(i, true);
            QApplication::processEvents();
        }));
    }
    bool allTicked = true;
    for (const StepRecord &r : w->ui().livData->steps().rows())
        allTicked = allTicked && r.checked;

    std::printf("append %d steps (median of 5):           %9.2f ms\n", Steps, median(appendTimes));
    std::printf("Select All, handler (median of %d):       %9.3f ms\n", runs, median(handler));
    std::printf("Select All, handler + repaint (median):   %9.3f ms\n", median(handlerAndPaint));
    std::printf("baseline, row by row + repaint (median):  %9.3f ms\n", median(baseline));
    std::printf("ratio baseline / Select All (with repaint): %.1fx\n",
                median(baseline) / median(handlerAndPaint));
    std::printf("every row ticked: %s\n", allTicked ? "yes" : "NO");
    return allTicked ? 0 : 1;
}
