// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/programs/Timeline.h"

#include <QElapsedTimer>
#include <QPixmap>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <memory>

class LineChecker;
class QProgressDialog;
class StepTableModel;

// Test > Chart: the program drawn as --plot draws it, in a window of its
// own. It follows the table and the baud rate; during a run it marks the
// step playing and the rows the line held longer, from the session's
// signals. A mark only notes a row and asks for a repaint: a step never
// waits for the chart. A program of millions of steps is worked out in
// slices between the window's events; past a second a progress dialog
// shows how far it is and can cancel it.
class ChartWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ChartWindow(const StepTableModel &steps, int baud);
    ~ChartWindow() override;

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
    // While a long program is worked out: its progress dialog.
    bool working() const { return m_checker != nullptr; }
    QProgressDialog *progressDialog() const;
    // Stops the program being worked out; the chart says so until the next change.
    void cancelDrawing();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void startTimeline();
    void workOnTimeline();
    void finishTimeline();
    void drawPicture();
    void drawNote(QPainter &p, const QString &text);

    const StepTableModel &m_steps;
    int m_baud;
    bool m_timelineDue = true;
    bool m_pictureDue = true;
    bool m_cancelled = false;
    std::unique_ptr<LineChecker> m_checker;
    QTimer m_slices;
    QElapsedTimer m_working;
    QPointer<QProgressDialog> m_progress;
    Timeline m_timeline;
    QList<int> m_firstSpan; // by row: its first span in the timeline, or -1
    QPixmap m_picture;
    QRectF m_plot;
    int m_playing = 0;
    QSet<int> m_held;
    int m_drawings = 0;
};
