// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Saving and opening step files of 1,000, 10,000 and 100,000 rows through
// the main window's File menu handlers (on the fake platform, the dialog
// answering the path), against the in-memory codec on the same bytes.
// Goal: 100,000 rows open in under 300 ms and within 5x of the plain parse.
#include "domain/files/StepFileFormat.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {
double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A program as an operator builds it: mostly default steps, some edited.
std::vector<StepRecord> program(int rows)
{
    std::vector<StepRecord> out;
    out.reserve(size_t(rows));
    for (int i = 1; i <= rows; ++i) {
        StepRecord r = StepRecord::makeDefault(StepDefaults::label(i));
        r.checked = i % 7 != 0;
        if (i % 3 == 0)
            r.values[2] = QString::number(100 + i % 200) + QStringLiteral(".00");
        if (i % 5 == 0)
            r.values[6] = QStringLiteral("0.50");
        out.push_back(std::move(r));
    }
    return out;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    FakePlatform fake;
    auto window = startedWindow(fake);
    window->show();
    QCoreApplication::processEvents();

    std::printf("%8s  %-5s %10s %10s %7s\n", "rows", "", "window ms", "codec ms", "ratio");
    for (int rows : {1000, 10000, 100000}) {
        const int runs = rows >= 100000 ? 9 : 21;
        const std::vector<StepRecord> steps = program(rows);
        const QString path = dir.filePath(QStringLiteral("bench-%1.log").arg(rows));

        // Save as: the whole table to a new file each time.
        window->ui().livData->replaceAll(steps);
        const double save = medianMs(runs, [&] {
            fake.files.answers.push_back(path);
            window->mnuSaveAs_Click();
        });
        const double format = medianMs(runs, [&] { (void)StepFileFormat::format(steps); });

        // Open: the file replaces the table and the view has laid it out.
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        const double open = medianMs(runs, [&] {
            fake.files.answers.push_back(path);
            window->mnuOpen_Click();
            QCoreApplication::processEvents();
        });
        const double parse = medianMs(runs, [&] { (void)StepFileFormat::parse(bytes); });

        if (window->ui().livData->count() != rows || !fake.messages.shown.isEmpty()) {
            std::fprintf(stderr, "open did not load the file\n");
            return 1;
        }
        std::printf("%8d  %-5s %10.2f %10.2f %6.2fx\n", rows, "save", save, format, save / format);
        std::printf("%8d  %-5s %10.2f %10.2f %6.2fx\n", rows, "open", open, parse, open / parse);
    }
    return 0;
}
