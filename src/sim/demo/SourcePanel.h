// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "sim/source/SourceModel.h"
#include "sim/source/StretchedStep.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QListWidget;
class SourceChart;
class SourceLink;

// The virtual source's front panel: its settings, the line settings in
// use, a log of every received line with its arrival time, the source's
// errors in red, the steps the line stretches, and a chart of the output.
class SourcePanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MaxLogLines = 2000;

    explicit SourcePanel(SourceLink &link, QWidget *parent = nullptr);

    // For checks: the shown texts by name ("mode", "relay", "output", "range",
    // "volts", "hertz", "startPhase", "stopPhase", "line", "terminals",
    // "errors", "stretched").
    QString shown(const QString &name) const;
    QListWidget *log() const { return m_log; }
    SourceChart *chart() const { return m_chart; }

private:
    void showState(const SourceState &state);
    void addLine(const ReceivedLine &line);
    void addStretched(const StretchedStep &step);
    void addLogItem(const QString &text, const QColor &color);
    QLabel *addField(const QString &name, const QString &caption);

    SourceLink &m_link;
    QHash<QString, QLabel *> m_fields;
    QListWidget *m_log = nullptr;
    SourceChart *m_chart = nullptr;
    QTimer m_sweep;
    int m_stretchedCount = 0;
};
