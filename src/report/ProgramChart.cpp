// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "report/ProgramChart.h"

#include "domain/steps/StepText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {
const QColor VoltageColour(31, 92, 170);
const QColor FrequencyColour(214, 110, 20);
const QColor OffColour(150, 150, 150, 90);
const QColor StretchedColour(220, 40, 40, 110);
const QColor GridColour(225, 225, 225);

// A tick spacing of 1, 2 or 5 times a power of ten giving about `count` ticks.
double niceStep(double span, int count)
{
    if (!(span > 0))
        return 1;
    const double raw = span / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * power)
            return m * power;
    return 10 * power;
}

// The time axis's tick spacing: below a minute 1, 2 or 5 times a power of
// ten (never under a millisecond: finer ticks would share a place); from a
// minute on, one a clock reads, and whole days past twelve hours.
double timeStep(qint64 lengthMs)
{
    constexpr int Ticks = 8;
    const double span = static_cast<double>(lengthMs);
    const double step = niceStep(span, Ticks);
    if (step < 60000)
        return std::max(1.0, step);
    for (const double minutes : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 180.0, 360.0, 720.0})
        if (span / Ticks <= minutes * 60000)
            return minutes * 60000;
    constexpr double Day = 86400000.0;
    return std::max(1.0, niceStep(span / Day, Ticks)) * Day;
}

// A tick's text in the axis's unit: seconds, min:s, or h:min:s for a run
// of an hour or more.
QString timeTick(double ms, double stepMs, qint64 lengthMs)
{
    const double s = ms / 1000.0;
    if (stepMs >= 60000) {
        const qint64 whole = std::llround(s);
        if (lengthMs >= 3600000)
            return QStringLiteral("%1:%2:%3")
                .arg(whole / 3600)
                .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
                .arg(whole % 60, 2, 10, QLatin1Char('0'));
        return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
    }
    const int decimals = stepMs >= 1000 ? 0 : (stepMs >= 100 ? 1 : (stepMs >= 10 ? 2 : 3));
    return QString::number(s, 'f', decimals);
}

// The step line of one value, reduced to at most four points per pixel
// column: where a column holds many steps, their first, lowest, highest and
// last values.
class StepLine
{
public:
    void add(double x, double y)
    {
        const qint64 column = static_cast<qint64>(std::floor(x));
        if (!m_open || column != m_column) {
            flush();
            m_open = true;
            m_column = column;
            m_firstX = m_lastX = x;
            m_first = m_low = m_high = m_last = y;
            return;
        }
        m_lastX = x;
        m_last = y;
        m_low = std::min(m_low, y);
        m_high = std::max(m_high, y);
    }
    QPolygonF finish()
    {
        flush();
        return std::move(m_points);
    }

private:
    void flush()
    {
        if (!m_open)
            return;
        m_points << QPointF(m_firstX, m_first);
        if (m_low < std::min(m_first, m_last))
            m_points << QPointF(m_firstX, m_low);
        if (m_high > std::max(m_first, m_last))
            m_points << QPointF(m_firstX, m_high);
        m_points << QPointF(m_lastX, m_last);
        m_open = false;
    }

    QPolygonF m_points;
    bool m_open = false;
    qint64 m_column = 0;
    double m_firstX = 0, m_lastX = 0;
    double m_first = 0, m_low = 0, m_high = 0, m_last = 0;
};

// Spans of steps that share a property, joined where they touch within a pixel.
QList<QRectF> spans(const Timeline &t, const std::function<bool(const TimelineStep &)> &has,
                    const std::function<double(qint64)> &x, double top, double bottom, double least)
{
    QList<QRectF> out;
    for (const TimelineStep &step : t.steps) {
        if (!has(step))
            continue;
        const double x0 = x(step.startMs), x1 = std::max(x(step.startMs + step.heldMs), x0 + least);
        if (!out.isEmpty() && x0 - out.last().right() < 1.0)
            out.last().setRight(x1);
        else
            out << QRectF(QPointF(x0, top), QPointF(x1, bottom));
    }
    return out;
}

// A step line as separate segments: stroked as one path, a line that
// doubles back on itself thousands of times costs seconds to fill.
void drawStepLine(QPainter &p, const QPolygonF &points)
{
    if (points.size() < 2000) {
        p.drawPolyline(points);
        return;
    }
    QList<QLineF> lines;
    lines.reserve(points.size());
    for (qsizetype i = 1; i < points.size(); ++i)
        lines << QLineF(points[i - 1], points[i]);
    p.drawLines(lines);
}

struct Range
{
    double low = 0, high = 1;
};

// What the chart says in place of its lines when nothing plays over time.
QString nothingToDraw(const Timeline &t, const ChartStyle &style)
{
    if (t.steps.isEmpty() && !style.noSteps.isEmpty())
        return style.noSteps;
    if (t.steps.isEmpty())
        return t.endless ? QStringLiteral("No step is checked: RUN plays no step and waits for STOP")
                         : QStringLiteral("The program has no steps: RUN plays nothing");
    const TimelineStep &last = t.steps.last();
    if (std::max(t.lengthMs, last.startMs + last.heldMs) > 0)
        return {};
    const QString first = t.steps.first().label.isEmpty() ? QStringLiteral("The first step")
                                                          : t.steps.first().label;
    return first + QStringLiteral(" has a dwell of 0 ms: it holds from RUN until STOP");
}

// The title in bold at the top left; returns where the text after it starts.
double drawTitle(QPainter &p, const QRectF &area, double line, const QString &title)
{
    if (title.isEmpty())
        return area.left();
    const QFont font = p.font();
    QFont bold = font;
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QPointF(area.left(), area.top() + line), title);
    const double end = area.left() + QFontMetricsF(bold, p.device()).horizontalAdvance(title) + 2 * line;
    p.setFont(font);
    return end;
}
// Where the chart draws and how its values map onto it: volts from 0, hertz
// around the values, time from RUN to the timeline's end.
struct ChartFrame
{
    ChartFrame(const QFont &font, QPaintDevice *device) : metrics(font, device), line(metrics.height()) {}

    QFontMetricsF metrics;
    double line = 0;
    QRectF plot;
    Range volts, hertz;
    double vStep = 1, fStep = 1, tStep = 1;
    qint64 lengthMs = 1;

    double x(qint64 ms) const
    {
        return plot.left() + plot.width() * static_cast<double>(ms) / static_cast<double>(lengthMs);
    }
    double yVolts(double v) const
    {
        return plot.bottom() - plot.height() * (v - volts.low) / (volts.high - volts.low);
    }
    double yHertz(double f) const
    {
        return plot.bottom() - plot.height() * (f - hertz.low) / (hertz.high - hertz.low);
    }
};

// The plot's rectangle inside the area, leaving room for the axes' numbers,
// the title, the key and the time note.
QRectF plotArea(const QRectF &area, const QFontMetricsF &metrics, const ChartStyle &style)
{
    const double line = metrics.height();
    // The first row holds the title and the key, the second the axes' names.
    QRectF r(area.left() + metrics.horizontalAdvance(QStringLiteral("0000 V")) + line, area.top() + 2.6 * line,
             0, 0);
    r.setRight(area.right() - metrics.horizontalAdvance(QStringLiteral("00.0 Hz")) - line);
    r.setBottom(area.bottom() - (style.timeNote.isEmpty() ? 2.4 : 3.4) * line);
    return r;
}

void setScales(ChartFrame &c, const Timeline &timeline)
{
    double vMax = 0, fMin = 1e300, fMax = -1e300;
    for (const TimelineStep &s : timeline.steps) {
        if (std::isfinite(s.volts))
            vMax = std::max(vMax, s.volts);
        if (std::isfinite(s.hertz)) {
            fMin = std::min(fMin, s.hertz);
            fMax = std::max(fMax, s.hertz);
        }
    }
    c.vStep = niceStep(std::max(vMax, 10.0) * 1.1, 6);
    c.volts = Range{0, std::ceil(std::max(vMax, 10.0) * 1.1 / c.vStep) * c.vStep};
    if (fMin > fMax)
        fMin = fMax = 50;
    const double fPad = std::max((fMax - fMin) * 0.1, std::max(fMax, 1.0) * 0.1);
    c.fStep = niceStep(fMax - fMin + 2 * fPad, 5);
    c.hertz = Range{std::floor((fMin - fPad) / c.fStep) * c.fStep,
                    std::ceil((fMax + fPad) / c.fStep) * c.fStep};
    qint64 length = timeline.lengthMs;
    if (!timeline.steps.isEmpty())
        length = std::max(length, timeline.steps.last().startMs + timeline.steps.last().heldMs);
    c.lengthMs = std::max<qint64>(length, 1);
    c.tStep = timeStep(c.lengthMs);
}

// The time axis's ticks, from RUN to the end and never past it.
QList<double> timeTicks(qint64 lengthMs, double stepMs)
{
    QList<double> ticks;
    for (double t = 0; t <= static_cast<double>(lengthMs) + stepMs * 1e-6; t += stepMs)
        ticks << t;
    return ticks;
}
QList<double> timeTicks(const ChartFrame &c)
{
    return timeTicks(c.lengthMs, c.tStep);
}

void drawGrid(QPainter &p, const ChartFrame &c)
{
    const QRectF &r = c.plot;
    p.setPen(QPen(GridColour, 0));
    for (double v = c.volts.low; v <= c.volts.high + c.vStep / 2; v += c.vStep)
        p.drawLine(QPointF(r.left(), c.yVolts(v)), QPointF(r.right(), c.yVolts(v)));
    for (const double t : timeTicks(c)) {
        const double x = c.x(static_cast<qint64>(t));
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    }
}

// Shaded spans under the lines: the output off, and the stretched steps.
void drawShading(QPainter &p, const ChartFrame &c, const Timeline &timeline)
{
    const QRectF &r = c.plot;
    const auto x = [&c](qint64 ms) { return c.x(ms); };
    for (const QRectF &band : spans(
             timeline, [](const TimelineStep &s) { return !s.outputOn; }, x, r.top(), r.bottom(), 1))
        p.fillRect(band, OffColour);
    // Stretched steps are often the shortest: at least a few pixels wide,
    // with a mark on the top edge.
    for (const QRectF &band : spans(
             timeline, [](const TimelineStep &s) { return s.stretched; }, x, r.top(), r.bottom(), 3)) {
        p.fillRect(band, StretchedColour);
        p.fillRect(QRectF(band.left(), r.top(), std::max(band.width(), 3.0), c.line * 0.4), QColor(200, 0, 0));
    }
}

// The two step lines; an output that is off carries no voltage.
void drawStepLines(QPainter &p, const ChartFrame &c, const Timeline &timeline)
{
    StepLine vLine, fLine;
    for (const TimelineStep &s : timeline.steps) {
        const double x0 = c.x(s.startMs), x1 = c.x(s.startMs + s.heldMs);
        const double v = c.yVolts(
            s.outputOn && std::isfinite(s.volts) ? std::clamp(s.volts, c.volts.low, c.volts.high) : 0.0);
        const double f = c.yHertz(std::isfinite(s.hertz) ? std::clamp(s.hertz, c.hertz.low, c.hertz.high)
                                                         : c.hertz.low);
        vLine.add(x0, v);
        vLine.add(x1, v);
        fLine.add(x0, f);
        fLine.add(x1, f);
    }
    p.setPen(QPen(VoltageColour, 1.6));
    drawStepLine(p, vLine.finish());
    // Dashed, over the voltage: seen where many steps fill their columns.
    QPen fPen(FrequencyColour, 1.2);
    fPen.setStyle(Qt::DashLine);
    p.setPen(fPen);
    drawStepLine(p, fLine.finish());
}

// Labels above their spans where they fit, or standing upright in a short
// step's span, cut short with an ellipsis where the plot ends first; never
// over the one before, nor past the plot's right edge, and a label like the
// last one drawn is not repeated. Where many short steps share a pixel
// column the chart shows their envelope, and a label would name one of them
// only: they have none.
void drawStepLabels(QPainter &p, const ChartFrame &c, const Timeline &timeline)
{
    constexpr int Crowd = 4; // steps starting within a pixel of each other
    const QRectF &r = c.plot;
    const double line = c.line;
    p.setPen(Qt::black);
    double freeFrom = r.left();
    QString lastDrawn;
    const qsizetype count = timeline.steps.size();
    const auto crowded = [&](qsizetype i) {
        const double x = c.x(timeline.steps[i].startMs);
        int near = 1;
        for (qsizetype j = i - 1; j >= 0 && near < Crowd && c.x(timeline.steps[j].startMs) > x - 1; --j)
            ++near;
        for (qsizetype j = i + 1; j < count && near < Crowd && c.x(timeline.steps[j].startMs) < x + 1; ++j)
            ++near;
        return near >= Crowd;
    };
    for (qsizetype i = 0; i < count; ++i) {
        const TimelineStep &s = timeline.steps[i];
        const double x0 = c.x(s.startMs), x1 = c.x(s.startMs + s.heldMs);
        if (x0 < freeFrom || s.label == lastDrawn || s.label.isEmpty() || x0 + line > r.right())
            continue;
        if (x1 - x0 < 1 && crowded(i))
            continue;
        // A control character from a file is written out, as on a terminal.
        const QString label = StepText::escapeControls(s.label);
        const double width = c.metrics.horizontalAdvance(label);
        if (x1 - x0 >= width + 4) {
            const double y = std::max(r.top() + line, c.yVolts(s.outputOn ? s.volts : 0.0) - 0.3 * line);
            p.drawText(QPointF(x0 + 2, y), label);
            freeFrom = x0 + width + 6;
        } else {
            // Upright, inside the step's own span, where its line is not:
            // reading up from its level when the room above holds it, else
            // reading up to just under its level.
            const double level = c.yVolts(s.outputOn ? s.volts : 0.0);
            const double pad = line * 0.3;
            const double above = level - r.top() - 2 * pad, below = r.bottom() - level - 2 * pad;
            const bool up = above >= width || above >= below;
            const QString text = c.metrics.elidedText(label, Qt::ElideRight, std::max(up ? above : below, 0.0));
            if (text.isEmpty())
                continue;
            const double foot = up ? level - pad : level + pad + c.metrics.horizontalAdvance(text);
            p.save();
            p.translate(x0 + c.metrics.ascent() * 0.5 + 1, foot);
            p.rotate(-90);
            p.drawText(QPointF(0, 0), text);
            p.restore();
            freeFrom = x0 + line;
        }
        lastDrawn = s.label;
    }
}

// The frame, the axes' numbers and names, and the note under the time axis.
void drawAxes(QPainter &p, const ChartFrame &c, const QRectF &area, const ChartStyle &style)
{
    const QRectF &r = c.plot;
    const QFontMetricsF &metrics = c.metrics;
    const double line = c.line;
    p.setPen(QPen(Qt::black, 0));
    p.drawRect(r);
    const double tick = line * 0.3;
    for (double v = c.volts.low; v <= c.volts.high + c.vStep / 2; v += c.vStep) {
        const QString text = QString::number(v);
        p.drawText(QPointF(r.left() - tick - metrics.horizontalAdvance(text) - 2,
                           c.yVolts(v) + metrics.ascent() / 2.5),
                   text);
    }
    for (double f = c.hertz.low; f <= c.hertz.high + c.fStep / 2; f += c.fStep)
        p.drawText(QPointF(r.right() + tick + 2, c.yHertz(f) + metrics.ascent() / 2.5), QString::number(f));
    for (const double t : timeTicks(c)) {
        const QString text = timeTick(t, c.tStep, c.lengthMs);
        const double x = c.x(static_cast<qint64>(t));
        p.drawText(QPointF(x - metrics.horizontalAdvance(text) / 2, r.bottom() + line), text);
    }
    p.setPen(VoltageColour);
    p.drawText(QPointF(area.left(), r.top() - 0.5 * line), QStringLiteral("Voltage [V]"));
    p.setPen(FrequencyColour);
    const QString fName = QStringLiteral("Frequency [Hz]");
    p.drawText(QPointF(area.right() - metrics.horizontalAdvance(fName), r.top() - 0.5 * line), fName);
    p.setPen(Qt::black);
    const QString tName = c.tStep < 60000         ? QStringLiteral("Time from RUN [s]")
                          : c.lengthMs >= 3600000 ? QStringLiteral("Time from RUN [h:min:s]")
                                                  : QStringLiteral("Time from RUN [min:s]");
    p.drawText(QPointF(r.center().x() - metrics.horizontalAdvance(tName) / 2, r.bottom() + 2.1 * line), tName);
    if (!style.timeNote.isEmpty())
        p.drawText(QPointF(r.left(), r.bottom() + 3.1 * line), style.timeNote);
}

// The title and, after it, the key to the shading.
void drawKey(QPainter &p, const ChartFrame &c, const QRectF &area, const Timeline &timeline,
             const ChartStyle &style)
{
    const double line = c.line;
    double x = drawTitle(p, area, line, style.title);
    const double keyY = area.top() + line;
    const auto key = [&](const QColor &colour, const QString &text) {
        p.fillRect(QRectF(x, keyY - c.metrics.ascent() * 0.8, line, c.metrics.ascent() * 0.8), colour);
        p.drawText(QPointF(x + 1.3 * line, keyY), text);
        x += 1.3 * line + c.metrics.horizontalAdvance(text) + line;
    };
    key(OffColour, QStringLiteral("output off"));
    key(StretchedColour, QStringLiteral("held longer for the line"));
    if (timeline.endless)
        key(Qt::transparent, QStringLiteral("the last step holds until STOP"));
}
} // namespace

QStringList timeAxisLabels(qint64 lengthMs)
{
    const qint64 length = std::max<qint64>(lengthMs, 1);
    const double step = timeStep(length);
    QStringList labels;
    for (const double t : timeTicks(length, step))
        labels << timeTick(t, step, length);
    return labels;
}

QRectF drawProgramChart(QPainter &p, const QRectF &area, const Timeline &timeline, const ChartStyle &style)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(area, Qt::white);
    QFont font = p.font();
    font.setStyleStrategy(QFont::PreferNoShaping); // labels read back as written
    font.setPointSizeF(std::clamp(area.height() / 40.0, 6.0, 10.0));
    p.setFont(font);
    ChartFrame chart(font, p.device());
    chart.plot = plotArea(area, chart.metrics, style);
    const QRectF &r = chart.plot;
    if (r.width() < 10 || r.height() < 10) {
        p.restore();
        return {};
    }
    if (const QString nothing = nothingToDraw(timeline, style); !nothing.isEmpty()) {
        p.setPen(QPen(Qt::black, 0));
        p.drawRect(r);
        p.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, nothing);
        drawTitle(p, area, chart.line, style.title);
        p.restore();
        return r;
    }

    setScales(chart, timeline);
    drawGrid(p, chart);
    drawShading(p, chart, timeline);
    p.setClipRect(r.adjusted(-2, -2, 2, 2));
    drawStepLines(p, chart, timeline);
    drawStepLabels(p, chart, timeline);
    p.setClipping(false);
    drawAxes(p, chart, area, style);
    drawKey(p, chart, area, timeline, style);
    p.restore();
    return r;
}
