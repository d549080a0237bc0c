// quorra-demo: the program's main window wired to a virtual AC source.
//   quorra-demo                               the window and the source's panel
//   quorra-demo --show FILE [options]         the same, playing FILE at once
//   quorra-demo --play FILE [options]         a dry run without a window
// options: --mode single|continuous|cycle N, --baud 1200|2400|4800|9600,
//          --seconds S (press STOP after S seconds)
#include "sim/DryRun.h"
#include "sim/LiveDemo.h"

#include <QApplication>
#include <QStringList>
#include <QTextStream>
#include <cstdlib>
#include <cstring>

namespace {
struct Arguments
{
    std::optional<QString> play;
    std::optional<QString> show;
    PlayOptions options;
    QString error;
};

Arguments parse(int argc, char *argv[])
{
    Arguments a;
    auto next = [&](int &i) -> std::optional<QString> {
        if (i + 1 >= argc)
            return std::nullopt;
        return QString::fromLocal8Bit(argv[++i]);
    };
    for (int i = 1; i < argc && a.error.isEmpty(); ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--play") || arg == QLatin1String("--show")) {
            const auto file = next(i);
            if (!file)
                a.error = arg + QStringLiteral(" needs a file");
            else
                (arg == QLatin1String("--play") ? a.play : a.show) = *file;
        } else if (arg == QLatin1String("--mode")) {
            const QString mode = next(i).value_or(QString());
            if (mode == QLatin1String("single")) {
                a.options.run.mode = RunChoice::Mode::Single;
            } else if (mode == QLatin1String("continuous")) {
                a.options.run.mode = RunChoice::Mode::Continuous;
            } else if (mode == QLatin1String("cycle")) {
                bool ok = false;
                a.options.run.mode = RunChoice::Mode::Cycle;
                a.options.run.cycles = next(i).value_or(QString()).toInt(&ok);
                if (!ok || a.options.run.cycles < 1 || a.options.run.cycles > 9999)
                    a.error = QStringLiteral("--mode cycle needs a count from 1 to 9999");
            } else {
                a.error = QStringLiteral("--mode is single, continuous or cycle N");
            }
        } else if (arg == QLatin1String("--baud")) {
            const QString baud = next(i).value_or(QString());
            if (!QStringList{"1200", "2400", "4800", "9600"}.contains(baud))
                a.error = QStringLiteral("--baud is 1200, 2400, 4800 or 9600");
            else
                a.options.baud = baud;
        } else if (arg == QLatin1String("--seconds")) {
            bool ok = false;
            const double s = next(i).value_or(QString()).toDouble(&ok);
            if (!ok || s <= 0)
                a.error = QStringLiteral("--seconds needs a positive number");
            else
                a.options.limitSeconds = s;
        } else {
            a.error = QStringLiteral("unknown argument ") + arg;
        }
    }
    if (a.error.isEmpty() && a.play && a.show)
        a.error = QStringLiteral("--play and --show exclude each other");
    return a;
}
} // namespace

int main(int argc, char *argv[])
{
    const Arguments args = parse(argc, argv);
    if (!args.error.isEmpty()) {
        QTextStream(stderr) << "quorra-demo: " << args.error << "\n"
                            << "usage: quorra-demo [--show FILE | --play FILE] "
                               "[--mode single|continuous|cycle N] [--baud B] [--seconds S]\n";
        return 2;
    }
    // A dry run shows no window and needs no display.
    if (args.play && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
#ifndef Q_OS_UNIX
    QTextStream(stderr) << "quorra-demo: the virtual instrument needs POSIX pseudo-terminals; "
                           "it is not supported on this system\n";
    return 2;
#else
    if (args.play) {
        QTextStream out(stdout);
        return runDryRun(*args.play, args.options, out);
    }
    return runLiveDemo(args.show, args.options);
#endif
}
