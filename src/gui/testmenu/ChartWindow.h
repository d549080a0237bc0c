// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "programs/Timeline.h"

#include <QPixmap>
#include <QSet>
#include <QWidget>

class StepTableModel;

// Test > Chart: the program drawn as --plot draws it, in a window of its
// own. It follows the table and the baud rate; during a run it marks the
// step playing and the rows the line held longer, from the session's
// signals. A mark only notes a row and asks for a repaint: a step never
// waits for the chart.
class ChartWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ChartWindow(const StepTableModel &steps, int baud);

    void setBaud(int baud);
    // The picture is due again (drawn on the next paint).
    void programChanged();

    // The run's marks: the row playing (1-based; 0 none) and the rows held
    // longer so far.
    void runStarted();
    void stepPlayed(int position);
    void stepHeld(int position);
    void runEnded();
    int playingRow() const { return m_playing; }
    const QSet<int> &heldRows() const { return m_held; }
    const Timeline &timeline() const { return m_timeline; }
    // Times the picture was drawn, for tests of its following the table.
    int drawings() const { return m_drawings; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void redrawPicture();

    const StepTableModel &m_steps;
    int m_baud;
    bool m_stale = true;
    Timeline m_timeline;
    QList<int> m_firstSpan; // by row: its first span in the timeline, or -1
    QPixmap m_picture;
    QRectF m_plot;
    int m_playing = 0;
    QSet<int> m_held;
    int m_drawings = 0;
};
