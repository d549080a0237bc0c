// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "app/ToolArguments.h"

#include <cmath>
#include <utility>

QList<QCommandLineOption> ToolArguments::all() const
{
    return {generate, testClass, voltage, frequency, angles, repeats,
            gap,      output,    check,   plot,      report, program};
}

QList<const QCommandLineOption *> ToolArguments::toolOnly() const
{
    return {&testClass, &voltage, &frequency, &angles, &repeats, &gap, &output, &program};
}

QStringList bareReportAsEmpty(QStringList arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--"))
            break;
        if (arguments[i] == QLatin1String("--report")
            && (i + 1 == arguments.size() || arguments[i + 1].startsWith(QLatin1Char('-'))))
            arguments[i] = QStringLiteral("--report=");
    }
    return arguments;
}

namespace {
QString name(const QCommandLineOption &option)
{
    return QStringLiteral("--") + option.names().constFirst();
}

bool readInt(const QCommandLineParser &parser, const QCommandLineOption &option, int &value)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    value = parser.value(option).toInt(&ok);
    return ok;
}

bool readDouble(const QCommandLineParser &parser, const QCommandLineOption &option, double &value)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    value = parser.value(option).toDouble(&ok);
    return ok && std::isfinite(value);
}

QString readGenerate(const QCommandLineParser &parser, const ToolArguments &t, ToolOptions &tool)
{
    const QString standard = parser.value(t.generate).toLower();
    if (standard != QLatin1String("iec61000-4-11"))
        return QStringLiteral("--generate knows iec61000-4-11, not \"%1\"").arg(parser.value(t.generate));
    for (const QCommandLineOption *needed : {&t.testClass, &t.voltage, &t.frequency})
        if (!parser.isSet(*needed))
            return QStringLiteral("--generate needs ") + name(*needed);
    DipTest::Options &dips = tool.dips;
    if (!readInt(parser, t.testClass, dips.testClass))
        return QStringLiteral("--class is 2 or 3, not \"%1\"").arg(parser.value(t.testClass));
    if (!readDouble(parser, t.voltage, dips.ut))
        return QStringLiteral("--voltage is a number of volts, not \"%1\"").arg(parser.value(t.voltage));
    if (!readInt(parser, t.frequency, dips.frequency))
        return QStringLiteral("--frequency is 50 or 60, not \"%1\"").arg(parser.value(t.frequency));
    if (!readInt(parser, t.repeats, dips.repeats))
        return QStringLiteral("--repeats is a whole number, not \"%1\"").arg(parser.value(t.repeats));
    if (!readDouble(parser, t.gap, dips.gapSeconds))
        return QStringLiteral("--gap is a number of seconds, not \"%1\"").arg(parser.value(t.gap));
    if (parser.isSet(t.angles)) {
        dips.angles.clear();
        for (const QString &text : parser.value(t.angles).split(QLatin1Char(','))) {
            bool ok = false;
            const int angle = text.trimmed().toInt(&ok);
            if (!ok)
                return QStringLiteral("--angles are whole degrees from 0 to 359, not \"%1\"").arg(text);
            dips.angles << angle;
        }
    }
    return DipTest::optionsError(dips);
}
} // namespace

QString readTool(const QCommandLineParser &parser, const ToolArguments &t, const QCommandLineOption &baud,
                 const QCommandLineOption &cycles, std::optional<ToolOptions> &tool)
{
    using Kind = ToolOptions::Kind;
    const std::pair<const QCommandLineOption *, Kind> kinds[] = {{&t.generate, Kind::Generate},
                                                                 {&t.check, Kind::Check},
                                                                 {&t.plot, Kind::Plot},
                                                                 {&t.report, Kind::Report}};
    const QCommandLineOption *chosen = nullptr;
    ToolOptions options;
    for (const auto &[option, kind] : kinds) {
        if (!parser.isSet(*option))
            continue;
        if (chosen)
            return name(*chosen) + QStringLiteral(" and ") + name(*option)
                   + QStringLiteral(" go one at a time");
        chosen = option;
        options.kind = kind;
    }
    if (!chosen) {
        for (const QCommandLineOption *only : t.toolOnly())
            if (parser.isSet(*only))
                return name(*only) + QStringLiteral(" is only for --generate, --plot or --report");
        return {};
    }

    // What each tool takes besides its own option.
    QList<const QCommandLineOption *> takes;
    switch (options.kind) {
    case Kind::Generate:
        takes = {&t.testClass, &t.voltage, &t.frequency, &t.angles, &t.repeats, &t.gap, &t.output};
        break;
    case Kind::Check: takes = {&baud}; break;
    case Kind::Plot: takes = {&baud, &cycles, &t.output}; break;
    case Kind::Report: takes = {&t.output, &t.program}; break;
    }
    for (const QCommandLineOption *only : t.toolOnly() + QList<const QCommandLineOption *>{&baud, &cycles})
        if (parser.isSet(*only) && !takes.contains(only))
            return name(*only) + QStringLiteral(" does not go with ") + name(*chosen);

    options.input = parser.value(*chosen);
    if (options.input.isEmpty() && options.kind != Kind::Generate)
        return name(*chosen) + QStringLiteral(" needs a file");
    if (takes.contains(&t.output)) {
        options.output = parser.value(t.output);
        if (options.output.isEmpty())
            return name(*chosen) + QStringLiteral(" needs --output FILE");
    }
    if (parser.isSet(baud)) {
        options.baud = parser.value(baud);
        if (!QStringList{"1200", "2400", "4800", "9600"}.contains(options.baud))
            return QStringLiteral("--baud is 1200, 2400, 4800 or 9600, not \"%1\"").arg(options.baud);
    }
    if (parser.isSet(cycles)) {
        bool ok = false;
        options.cycles = parser.value(cycles).toInt(&ok);
        if (!ok || options.cycles < 1 || options.cycles > 9999)
            return QStringLiteral("--cycles is a whole number from 1 to 9999, not \"%1\"")
                .arg(parser.value(cycles));
    }
    if (options.kind == Kind::Plot) {
        const QString suffix = options.output.section(QLatin1Char('.'), -1).toLower();
        if (!QStringList{"png", "svg", "pdf"}.contains(suffix) || !options.output.contains(QLatin1Char('.')))
            return QStringLiteral("--plot draws to a .png, .svg or .pdf file, not \"%1\"").arg(options.output);
    }
    // The report is a PDF; under another name it would be a PDF all the same.
    if (options.kind == Kind::Report && !options.output.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return QStringLiteral("--report writes a .pdf file, not \"%1\"").arg(options.output);
    options.program = parser.value(t.program);
    if (options.kind == Kind::Generate) {
        options.input.clear();
        if (const QString why = readGenerate(parser, t, options); !why.isEmpty())
            return why;
    }
    tool = options;
    return {};
}
