// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// quorra --generate, --check and --plot of a 100,000-step program, and
// --report of a record of 360,000 commands and of one of 360,000 steps (an
// hour of 10 ms steps), each the real program in a child process: wall time (median of
// three) and peak memory, against `quorra --version` started the same way,
// the cost of starting the program at all.
// Goals: under 2 s and 300 MB for each 100,000-step command; the report
// under 10 s.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {
struct Figures
{
    double ms = 0;
    double peakMb = 0;
    int status = -1;
};

// One run of the program with the arguments, its standard output dropped.
Figures runOnce(const QStringList &arguments)
{
    Figures f;
#ifdef Q_OS_UNIX
    std::vector<QByteArray> bytes;
    bytes.push_back(QByteArrayLiteral(QUORRA_EXECUTABLE));
    for (const QString &a : arguments)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    std::fflush(stdout); // the child must not print what is buffered here
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (!freopen("/dev/null", "w", stdout))
            _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    f.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    f.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    f.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#else
    Q_UNUSED(arguments);
#endif
    return f;
}

Figures median(const QStringList &arguments)
{
    std::vector<Figures> runs;
    for (int i = 0; i < 3; ++i)
        runs.push_back(runOnce(arguments));
    std::sort(runs.begin(), runs.end(), [](const Figures &a, const Figures &b) { return a.ms < b.ms; });
    Figures m = runs[1];
    for (const Figures &r : runs)
        m.peakMb = std::max(m.peakMb, r.peakMb);
    return m;
}

// A record as RunRecorder writes it: 90,000 steps of four commands, 10 ms apart.
bool writeRecord(const QString &path, int commands)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray out = "time,elapsed_ms,step,command\r\n";
    out += "2026-01-01T10:00:00.000+00:00,0,,:SOUR:TURN OFF\r\n2026-01-01T10:00:00.000+00:00,0,,:OUTP ON\r\n";
    const char *cmds[] = {":SOUR:FREQ 50.00", ":SOUR:RANG Auto", ":SOUR:VOLT ", ":SOUR:TURN On"};
    for (int i = 0; i < commands; ++i) {
        const int stepIndex = i / 4;
        const qint64 ms = qint64(stepIndex) * 10;
        const QByteArray time = QByteArray("2026-01-01T")
                                + QTime(10, 0).addMSecs(int(ms)).toString("HH:mm:ss.zzz").toLatin1() + "+00:00";
        QByteArray command = cmds[i % 4];
        if (i % 4 == 2)
            command += QByteArray::number(100 + stepIndex % 130) + ".00";
        out += time + ',' + QByteArray::number(ms) + ",Step" + QByteArray::number(stepIndex % 1000 + 1) + ','
               + command + "\r\n";
        if (out.size() > (1 << 20)) {
            file.write(out);
            out.clear();
        }
    }
    const qint64 end = qint64(commands / 4) * 10;
    out += "2026-01-01T11:00:00.000+00:00," + QByteArray::number(end) + ",,:SOUR:TURN OFF\r\n";
    out += "2026-01-01T11:00:00.000+00:00," + QByteArray::number(end) + ",,:OUTP OFF\r\n";
    return file.write(out) == out.size();
}

void print(const char *what, const Figures &f, const Figures &baseline)
{
    std::printf("%-44s median %8.1f ms  peak %6.1f MB  exit %d  ratio to start-up %6.1fx\n", what, f.ms,
                f.peakMb, f.status, baseline.ms > 0 ? f.ms / baseline.ms : 0.0);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const auto path = [&](const char *name) { return dir.filePath(QString::fromLatin1(name)); };
    QStringList angles;
    for (int a = 0; a < 360; ++a)
        angles << QString::number(a);
    // Class 3 at 360 angles, 24 times each: 6 x 360 x 24 events, a gap before each, one at the end.
    const QStringList generate{
        "--generate", "iec61000-4-11", "--class",        "3",         "--voltage", "230",      "--frequency",
        "50",         "--angles",      angles.join(','), "--repeats", "24",        "--output", path("big.log")};
    const Figures baseline = median({"--version"});
    print("quorra --version (baseline)", baseline, baseline);
    print("--generate (103,681 steps)", median(generate), baseline);
    print("--check (103,681 steps)", median({"--check", path("big.log")}), baseline);
    for (const char *suffix : {"png", "svg", "pdf"}) {
        const QByteArray what = QByteArray("--plot (103,681 steps) to .") + suffix;
        print(what.constData(),
              median({"--plot", path("big.log"), "--output", path("big.") + QLatin1String(suffix)}), baseline);
    }
    if (!writeRecord(path("record.csv"), 360000)) {
        std::fprintf(stderr, "cannot write the record\n");
        return 1;
    }
    print("--report (360,000 commands, 90,000 steps)",
          median({"--report", path("record.csv"), "--output", path("report.pdf")}), baseline);
    // An hour of 10 ms steps as steps rather than commands: four times as many rows.
    if (!writeRecord(path("hour.csv"), 4 * 360000)) {
        std::fprintf(stderr, "cannot write the record\n");
        return 1;
    }
    print("--report (1,440,000 commands, 360,000 steps)",
          median({"--report", path("hour.csv"), "--output", path("hour.pdf")}), baseline);
    return 0;
}
