// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "testmenu/ChartWindow.h"

#include "programs/LineCheck.h"
#include "report/ProgramChart.h"
#include "steps/StepTableModel.h"

#include <QPainter>

ChartWindow::ChartWindow(const StepTableModel &steps, int baud) : QWidget(nullptr), m_steps(steps), m_baud(baud)
{
    setObjectName(QStringLiteral("frmChart"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Chart"));
    resize(900, 420);
    connect(&steps, &StepTableModel::modelReset, this, &ChartWindow::programChanged);
    connect(&steps, &StepTableModel::rowsInserted, this, &ChartWindow::programChanged);
    connect(&steps, &StepTableModel::rowsRemoved, this, &ChartWindow::programChanged);
}

void ChartWindow::setBaud(int baud)
{
    if (baud != m_baud) {
        m_baud = baud;
        programChanged();
    }
}

void ChartWindow::programChanged()
{
    m_stale = true;
    update();
}

void ChartWindow::runStarted()
{
    m_playing = 0;
    m_held.clear();
    update();
}

void ChartWindow::stepPlayed(int position)
{
    m_playing = position;
    update();
}

void ChartWindow::stepHeld(int position)
{
    m_held.insert(position);
    update();
}

void ChartWindow::runEnded()
{
    m_playing = 0;
    update();
}

void ChartWindow::resizeEvent(QResizeEvent *event)
{
    m_stale = true;
    QWidget::resizeEvent(event);
}

void ChartWindow::redrawPicture()
{
    LineSettings line;
    line.baud = m_baud;
    m_timeline = checkLine(m_steps, line).timeline;
    // One cycle's spans by row, for the marks.
    m_firstSpan.fill(-1, m_steps.count() + 1);
    int row = 1;
    for (int i = 0; i < m_timeline.steps.size(); ++i) {
        while (row <= m_steps.count() && !m_steps.row(row).checked)
            ++row;
        if (row > m_steps.count())
            break;
        m_firstSpan[row++] = i;
    }
    m_picture = QPixmap(size() * devicePixelRatioF());
    m_picture.setDevicePixelRatio(devicePixelRatioF());
    QPainter p(&m_picture);
    ChartStyle style;
    style.timeNote = QStringLiteral("at %1 baud").arg(m_baud);
    m_plot = drawProgramChart(p, QRectF(rect()), m_timeline, style);
    m_stale = false;
    ++m_drawings;
}

void ChartWindow::paintEvent(QPaintEvent *)
{
    if (m_stale)
        redrawPicture();
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
    if (m_plot.isEmpty() || m_timeline.steps.isEmpty())
        return;
    const TimelineStep &last = m_timeline.steps.last();
    const double length = static_cast<double>(
        std::max<qint64>({m_timeline.lengthMs, last.startMs + last.heldMs, 1}));
    const auto span = [&](int position) -> QRectF {
        const int i = position < m_firstSpan.size() ? m_firstSpan[position] : -1;
        if (i < 0)
            return {};
        const TimelineStep &s = m_timeline.steps[i];
        const double x0 = m_plot.left() + m_plot.width() * static_cast<double>(s.startMs) / length;
        const double x1 = m_plot.left() + m_plot.width() * static_cast<double>(s.startMs + s.heldMs) / length;
        return QRectF(x0, m_plot.top(), std::max(2.0, x1 - x0), m_plot.height());
    };
    for (int position : m_held)
        p.fillRect(span(position), QColor(220, 0, 0, 70));
    if (m_playing > 0)
        p.fillRect(span(m_playing), QColor(0, 90, 255, 90));
}
