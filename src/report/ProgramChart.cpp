// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "report/ProgramChart.h"

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

QString timeTick(double ms, double stepMs)
{
    const double s = ms / 1000.0;
    if (stepMs >= 60000) {
        const qint64 whole = std::llround(s);
        if (whole >= 3600)
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
QString nothingToDraw(const Timeline &t)
{
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
} // namespace

QRectF drawProgramChart(QPainter &p, const QRectF &area, const Timeline &timeline, const ChartStyle &style)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(area, Qt::white);
    QFont font = p.font();
    font.setStyleStrategy(QFont::PreferNoShaping); // labels read back as written
    font.setPointSizeF(std::clamp(area.height() / 40.0, 6.0, 10.0));
    p.setFont(font);
    const QFontMetricsF metrics(font, p.device());
    const double line = metrics.height();

    const QRectF plot(area.left() + metrics.horizontalAdvance(QStringLiteral("0000 V")) + line,
                      area.top() + (style.title.isEmpty() ? 0.5 : 1.6) * line + line, 0, 0);
    QRectF r = plot;
    r.setRight(area.right() - metrics.horizontalAdvance(QStringLiteral("00.0 Hz")) - line);
    r.setBottom(area.bottom() - (style.timeNote.isEmpty() ? 2.4 : 3.4) * line);
    if (r.width() < 10 || r.height() < 10) {
        p.restore();
        return {};
    }
    if (const QString nothing = nothingToDraw(timeline); !nothing.isEmpty()) {
        p.setPen(QPen(Qt::black, 0));
        p.drawRect(r);
        p.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, nothing);
        drawTitle(p, area, line, style.title);
        p.restore();
        return r;
    }

    // Scales: volts from 0, hertz around the values, time from RUN.
    double vMax = 0, fMin = 1e300, fMax = -1e300;
    for (const TimelineStep &s : timeline.steps) {
        if (std::isfinite(s.volts))
            vMax = std::max(vMax, s.volts);
        if (std::isfinite(s.hertz)) {
            fMin = std::min(fMin, s.hertz);
            fMax = std::max(fMax, s.hertz);
        }
    }
    const double vStep = niceStep(std::max(vMax, 10.0) * 1.1, 6);
    const Range volts{0, std::ceil(std::max(vMax, 10.0) * 1.1 / vStep) * vStep};
    if (fMin > fMax)
        fMin = fMax = 50;
    const double fPad = std::max((fMax - fMin) * 0.1, std::max(fMax, 1.0) * 0.1);
    const double fStep = niceStep(fMax - fMin + 2 * fPad, 5);
    const Range hertz{std::floor((fMin - fPad) / fStep) * fStep, std::ceil((fMax + fPad) / fStep) * fStep};
    qint64 length = timeline.lengthMs;
    if (!timeline.steps.isEmpty())
        length = std::max(length, timeline.steps.last().startMs + timeline.steps.last().heldMs);
    length = std::max<qint64>(length, 1);
    // Ticks fall on whole milliseconds: finer ones would share a place.
    const double tStep = std::max(1.0, niceStep(static_cast<double>(length), 8));

    auto X = [&](qint64 ms) {
        return r.left() + r.width() * static_cast<double>(ms) / static_cast<double>(length);
    };
    auto YV = [&](double v) { return r.bottom() - r.height() * (v - volts.low) / (volts.high - volts.low); };
    auto YF = [&](double f) { return r.bottom() - r.height() * (f - hertz.low) / (hertz.high - hertz.low); };

    // Grid and axes.
    p.setPen(QPen(GridColour, 0));
    for (double v = volts.low; v <= volts.high + vStep / 2; v += vStep)
        p.drawLine(QPointF(r.left(), YV(v)), QPointF(r.right(), YV(v)));
    for (double t = 0; t <= static_cast<double>(length) + tStep / 2; t += tStep)
        p.drawLine(QPointF(X(static_cast<qint64>(t)), r.top()), QPointF(X(static_cast<qint64>(t)), r.bottom()));

    // Shaded spans under the lines.
    for (const QRectF &band : spans(
             timeline, [](const TimelineStep &s) { return !s.outputOn; }, X, r.top(), r.bottom(), 1))
        p.fillRect(band, OffColour);
    // Stretched steps are often the shortest: at least a few pixels wide,
    // with a mark on the top edge.
    for (const QRectF &band : spans(
             timeline, [](const TimelineStep &s) { return s.stretched; }, X, r.top(), r.bottom(), 3)) {
        p.fillRect(band, StretchedColour);
        p.fillRect(QRectF(band.left(), r.top(), std::max(band.width(), 3.0), line * 0.4), QColor(200, 0, 0));
    }

    // The two step lines; an output that is off carries no voltage.
    StepLine vLine, fLine;
    for (const TimelineStep &s : timeline.steps) {
        const double x0 = X(s.startMs), x1 = X(s.startMs + s.heldMs);
        const double v = YV(s.outputOn && std::isfinite(s.volts) ? std::clamp(s.volts, volts.low, volts.high)
                                                                 : 0.0);
        const double f = YF(std::isfinite(s.hertz) ? std::clamp(s.hertz, hertz.low, hertz.high) : hertz.low);
        vLine.add(x0, v);
        vLine.add(x1, v);
        fLine.add(x0, f);
        fLine.add(x1, f);
    }
    p.setClipRect(r.adjusted(-2, -2, 2, 2));
    QPen fPen(FrequencyColour, 1.2);
    fPen.setStyle(Qt::DashLine);
    p.setPen(fPen);
    drawStepLine(p, fLine.finish());
    p.setPen(QPen(VoltageColour, 1.6));
    drawStepLine(p, vLine.finish());

    // Labels above their spans where they fit, or standing upright in a
    // short step's span; never over the one before, and a label like the
    // last one drawn is not repeated.
    p.setPen(Qt::black);
    double freeFrom = r.left();
    QString lastDrawn;
    for (const TimelineStep &s : timeline.steps) {
        const double x0 = X(s.startMs), x1 = X(s.startMs + s.heldMs);
        if (x0 < freeFrom || s.label == lastDrawn || s.label.isEmpty())
            continue;
        const double width = metrics.horizontalAdvance(s.label);
        if (x1 - x0 >= width + 4) {
            const double y = std::max(r.top() + line, YV(s.outputOn ? s.volts : 0.0) - 0.3 * line);
            p.drawText(QPointF(x0 + 2, y), s.label);
            freeFrom = x0 + width + 6;
        } else {
            // Upright, inside the step's own span, where its line is not:
            // reading up from its level when the room above holds it, else
            // reading up to just under its level.
            const double level = YV(s.outputOn ? s.volts : 0.0);
            const double pad = line * 0.3;
            const double foot = level - r.top() >= width + 2 * pad
                                    ? level - pad
                                    : std::min(level + pad + width, r.bottom() - pad);
            p.save();
            p.translate(x0 + metrics.ascent() * 0.5 + 1, foot);
            p.rotate(-90);
            p.drawText(QPointF(0, 0), s.label);
            p.restore();
            freeFrom = x0 + line;
        }
        lastDrawn = s.label;
    }
    p.setClipping(false);

    // Axes with their numbers.
    p.setPen(QPen(Qt::black, 0));
    p.drawRect(r);
    const double tick = line * 0.3;
    for (double v = volts.low; v <= volts.high + vStep / 2; v += vStep) {
        const QString text = QString::number(v);
        p.drawText(QPointF(r.left() - tick - metrics.horizontalAdvance(text) - 2,
                           YV(v) + metrics.ascent() / 2.5),
                   text);
    }
    for (double f = hertz.low; f <= hertz.high + fStep / 2; f += fStep)
        p.drawText(QPointF(r.right() + tick + 2, YF(f) + metrics.ascent() / 2.5), QString::number(f));
    for (double t = 0; t <= static_cast<double>(length) + tStep / 2; t += tStep) {
        const QString text = timeTick(t, tStep);
        const double x = X(static_cast<qint64>(t));
        p.drawText(QPointF(x - metrics.horizontalAdvance(text) / 2, r.bottom() + line), text);
    }
    p.setPen(VoltageColour);
    p.drawText(QPointF(area.left(), r.top() - 0.5 * line), QStringLiteral("Voltage [V]"));
    p.setPen(FrequencyColour);
    const QString fName = QStringLiteral("Frequency [Hz]");
    p.drawText(QPointF(area.right() - metrics.horizontalAdvance(fName), r.top() - 0.5 * line), fName);
    p.setPen(Qt::black);
    const QString tName = tStep < 60000       ? QStringLiteral("Time from RUN [s]")
                          : length >= 3600000 ? QStringLiteral("Time from RUN [h:min:s]")
                                              : QStringLiteral("Time from RUN [min:s]");
    p.drawText(QPointF(r.center().x() - metrics.horizontalAdvance(tName) / 2, r.bottom() + 2.1 * line), tName);
    if (!style.timeNote.isEmpty())
        p.drawText(QPointF(r.left(), r.bottom() + 3.1 * line), style.timeNote);

    // Title and the key to the shading.
    double x = drawTitle(p, area, line, style.title);
    const double keyY = area.top() + line;
    const auto key = [&](const QColor &colour, const QString &text) {
        p.fillRect(QRectF(x, keyY - metrics.ascent() * 0.8, line, metrics.ascent() * 0.8), colour);
        p.drawText(QPointF(x + 1.3 * line, keyY), text);
        x += 1.3 * line + metrics.horizontalAdvance(text) + line;
    };
    key(OffColour, QStringLiteral("output off"));
    key(StretchedColour, QStringLiteral("held longer for the line"));
    if (timeline.endless)
        key(Qt::transparent, QStringLiteral("the last step holds until STOP"));
    p.restore();
    return r;
}
