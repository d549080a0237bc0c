// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QWidget>

class QChart;
class QLineSeries;
class QValueAxis;

// A strip chart of what the source puts out: the voltage at the terminals
// and the frequency, as levels over the session's time. Shows the last
// WindowSeconds; older points are dropped.
class SourceChart : public QWidget
{
    Q_OBJECT
public:
    static constexpr double WindowSeconds = 30.0;

    explicit SourceChart(QWidget *parent = nullptr);

    // From ms on, the output is at these levels.
    void record(double ms, double volts, double hertz);
    // Draws the current levels on up to ms.
    void extendTo(double ms);

    // The points drawn, for checks: (seconds, value).
    QList<QPointF> voltsPoints() const;

private:
    void append(QLineSeries *series, double seconds, double value);
    void moveHead(double seconds);
    void dropOld(double seconds);

    QChart *m_chart = nullptr;
    QLineSeries *m_volts = nullptr;
    QLineSeries *m_hertz = nullptr;
    QValueAxis *m_time = nullptr;
    QValueAxis *m_hertzAxis = nullptr;
    double m_lastVolts = 0.0;
    double m_lastHertz = 0.0;
    double m_maxHertz = 0.0;
    bool m_started = false;
};
