// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/demo/SourceChart.h"

#include <QVBoxLayout>
#include <algorithm>

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>

SourceChart::SourceChart(QWidget *parent) : QWidget(parent)
{
    m_chart = new QChart;
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_chart->legend()->setAlignment(Qt::AlignBottom);

    m_volts = new QLineSeries;
    m_volts->setName(tr("Output voltage [V]"));
    m_hertz = new QLineSeries;
    m_hertz->setName(tr("Frequency [Hz]"));
    m_chart->addSeries(m_volts);
    m_chart->addSeries(m_hertz);

    m_time = new QValueAxis;
    m_time->setTitleText(tr("Time [s]"));
    m_time->setRange(0, WindowSeconds);
    m_time->setLabelFormat(QStringLiteral("%.0f"));
    m_time->setTickType(QValueAxis::TicksDynamic);
    m_time->setTickAnchor(0);
    m_time->setTickInterval(5);
    auto *voltsAxis = new QValueAxis;
    voltsAxis->setRange(0, 320);
    voltsAxis->setLabelFormat(QStringLiteral("%.0f"));
    voltsAxis->setTitleText(tr("V"));
    m_hertzAxis = new QValueAxis;
    m_hertzAxis->setTitleText(tr("Hz"));
    // 50 and 60 Hz at half height and above, clear of the mains voltages.
    m_hertzAxis->setRange(0, 100);
    m_hertzAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_chart->addAxis(m_time, Qt::AlignBottom);
    m_chart->addAxis(voltsAxis, Qt::AlignLeft);
    m_chart->addAxis(m_hertzAxis, Qt::AlignRight);
    m_volts->attachAxis(m_time);
    m_volts->attachAxis(voltsAxis);
    m_hertz->attachAxis(m_time);
    m_hertz->attachAxis(m_hertzAxis);

    auto *view = new QChartView(m_chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(220);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
}

void SourceChart::append(QLineSeries *series, double seconds, double value)
{
    series->append(seconds, value);
}

void SourceChart::record(double ms, double volts, double hertz)
{
    const double seconds = ms / 1000.0;
    if (m_started && volts == m_lastVolts && hertz == m_lastHertz)
        return;
    if (m_started) {
        // The head point stands for "now"; it becomes the end of the old level.
        moveHead(seconds);
    }
    append(m_volts, seconds, volts);
    append(m_hertz, seconds, hertz);
    // The new head, moved along by extendTo().
    append(m_volts, seconds, volts);
    append(m_hertz, seconds, hertz);
    m_lastVolts = volts;
    m_lastHertz = hertz;
    m_started = true;
    if (hertz > m_maxHertz) {
        m_maxHertz = hertz;
        if (hertz > 90.0) {
            m_hertzAxis->setRange(0, hertz * 1.6);
            m_hertzAxis->applyNiceNumbers();
        }
    }
    extendTo(ms);
}

void SourceChart::extendTo(double ms)
{
    const double seconds = ms / 1000.0;
    if (m_started)
        moveHead(std::max(seconds, m_volts->at(m_volts->count() - 1).x()));
    const double end = std::max(seconds, WindowSeconds);
    m_time->setRange(end - WindowSeconds, end);
    dropOld(end - WindowSeconds);
}

void SourceChart::moveHead(double seconds)
{
    const int last = m_volts->count() - 1;
    m_volts->replace(last, seconds, m_volts->at(last).y());
    m_hertz->replace(last, seconds, m_hertz->at(last).y());
}

void SourceChart::dropOld(double seconds)
{
    // Keep one point before the window so the first level is drawn whole.
    int drop = 0;
    while (drop + 1 < m_volts->count() && m_volts->at(drop + 1).x() < seconds)
        ++drop;
    if (drop > 0) {
        m_volts->removePoints(0, drop);
        m_hertz->removePoints(0, drop);
    }
}

QList<QPointF> SourceChart::voltsPoints() const
{
    return m_volts->points();
}
