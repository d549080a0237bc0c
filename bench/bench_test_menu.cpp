// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The Test menu's work on long programs and runs: the line marks after one
// edit of a 100,000-row table, the chart's redraw of 100,000 rows, a run
// mark of the chart, and the report of an hour of 10 ms steps. Each against
// a baseline measured in the same run.
#include "BenchTiming.h"
#include "domain/steps/LenientNumber.h"
#include "domain/steps/StepTableModel.h"
#include "gui/testmenu/ChartWindow.h"
#include "gui/testmenu/LineTimeMarks.h"
#include "report/RunReport.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <cstdio>

namespace {
std::vector<StepRecord> rows(int count)
{
    std::vector<StepRecord> out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        StepRecord r = StepRecord::makeDefault(QStringLiteral("Step%1").arg(i + 1));
        r.subItem(StepRecord::WorkTime) = i % 10 == 0 ? QStringLiteral("0.01") : QStringLiteral("0.10");
        out.push_back(r);
    }
    return out;
}

RecordedRun hourOfSteps(int steps)
{
    RecordedRun run;
    run.recordPath = QStringLiteral("quorra-run-bench.csv");
    for (int i = 0; i < steps; ++i) {
        RecordedStep s;
        s.label = QStringLiteral("Step%1").arg(i % 100 + 1);
        s.voltage = QStringLiteral("230.00");
        s.frequency = QStringLiteral("50.00");
        s.startPhase = QStringLiteral("0.00");
        s.dwellMs = s.expectedMs = 10;
        s.startMs = 10LL * i;
        s.heldMs = i % 1000 == 0 ? 14 : 10;
        run.steps << s;
    }
    run.durationMs = 10LL * steps;
    return run;
}

void print(const char *what, double ms, const char *baseline, double baseMs, const char *goal)
{
    std::printf("%-46s median %9.2f ms   %-34s %9.2f ms   ratio %7.2f   goal %s\n", what, ms, baseline, baseMs,
                ms / baseMs, goal);
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    constexpr int Repeats = 7;

    StepTableModel steps;
    steps.replaceAll(rows(100000));
    QTreeView view;
    view.setModel(&steps);
    LineTimeMarks marks(steps, view);
    marks.setActive(true);
    std::vector<double> edit, scan;
    for (int i = 0; i < Repeats; ++i) {
        edit.push_back(millisecondsOf([&] {
            steps.setSubItem(50000, StepRecord::WorkTime,
                             i % 2 ? QStringLiteral("0.01") : QStringLiteral("0.10"));
            marks.refresh();
        }));
        scan.push_back(millisecondsOf([&] {
            double sum = 0;
            for (const StepRecord &r : steps.rows())
                sum += lenientNumber(r.subItem(StepRecord::WorkTime));
            if (sum < 0)
                std::puts("");
        }));
    }
    print("line marks after one edit, 100,000 rows", median(edit), "baseline: read every dwell", median(scan),
          "<= 20 ms");

    // A redraw as the window does it: the first paint starts the work, the
    // window's events carry it on in slices, the last paint draws the
    // picture. longestWait: the longest the window went without answering.
    double longestWait = 0;
    const auto redraw = [&longestWait](ChartWindow &c) {
        c.programChanged();
        longestWait = std::max(longestWait, millisecondsOf([&] { c.grab(); }));
        while (c.working())
            longestWait = std::max(longestWait, millisecondsOf([] { QCoreApplication::processEvents(); }));
        longestWait = std::max(longestWait, millisecondsOf([&] { c.grab(); }));
    };
    ChartWindow chart(steps, 9600);
    chart.resize(900, 420);
    StepTableModel small;
    small.replaceAll(rows(100));
    ChartWindow smallChart(small, 9600);
    smallChart.resize(900, 420);
    std::vector<double> big, little;
    for (int i = 0; i < Repeats; ++i) {
        big.push_back(millisecondsOf([&] { redraw(chart); }));
        little.push_back(millisecondsOf([&] { redraw(smallChart); }));
    }
    print("chart redraw, 100,000 rows", median(big), "baseline: 100 rows", median(little), "<= 150 ms");
    {
        // The longest program a picture holds: worked out in slices, with
        // a progress dialog after a second.
        StepTableModel longest;
        longest.replaceAll(rows(1000000));
        ChartWindow longChart(longest, 9600);
        longChart.resize(900, 420);
        std::vector<double> most;
        longestWait = 0;
        for (int i = 0; i < 3; ++i)
            most.push_back(millisecondsOf([&] { redraw(longChart); }));
        print("chart redraw, 1,000,000 rows", median(most), "baseline: 100 rows", median(little),
              "none (progress after 1 s)");
        std::printf("chart redraw, 1,000,000 rows: the window answered within %.2f ms throughout (goal: under"
                    " 100 ms, the picture itself included)\n",
                    longestWait);
    }

    std::vector<double> mark, none;
    for (int i = 0; i < Repeats; ++i) {
        mark.push_back(millisecondsOf([&] {
                           for (int n = 1; n <= 1000; ++n)
                               chart.stepPlayed(n);
                       })
                       / 1000.0);
        none.push_back(millisecondsOf([&] {
                           for (int n = 1; n <= 1000; ++n)
                               chart.update();
                       })
                       / 1000.0);
    }
    print("chart run mark, per step (window thread)", median(mark), "baseline: a bare update()", median(none),
          "no step waits for it");

    QTemporaryDir dir;
    const RecordedRun hour = hourOfSteps(360000), shortRun = hourOfSteps(500);
    std::vector<double> report, shortReport;
    QString error;
    for (int i = 0; i < 3; ++i) {
        report.push_back(millisecondsOf([&] { writeRunReport(hour, {}, dir.filePath("hour.pdf"), &error); }));
        shortReport.push_back(
            millisecondsOf([&] { writeRunReport(shortRun, {}, dir.filePath("short.pdf"), &error); }));
    }
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {dir.filePath("hour.pdf")});
    info.waitForFinished();
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    const QString pages
        = out.mid(out.indexOf(QStringLiteral("Pages:")) + 6).section(QLatin1Char('\n'), 0, 0).trimmed();
    print("report of 360,000 steps", median(report), "baseline: report of 500 steps", median(shortReport),
          "<= 3000 ms");
    std::printf("report of 360,000 steps: %s pages (goal <= 30), %lld bytes\n", qPrintable(pages),
                static_cast<long long>(QFileInfo(dir.filePath("hour.pdf")).size()));
    return 0;
}
