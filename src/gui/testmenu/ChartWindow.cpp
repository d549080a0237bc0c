// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/testmenu/ChartWindow.h"

#include "domain/programs/LineCheck.h"
#include "domain/steps/StepTableModel.h"
#include "report/ProgramChart.h"

#include <QPainter>
#include <QProgressDialog>

namespace {
// A slice of the work between the window's events: short enough that the
// window answers at once.
constexpr int SliceMs = 30;
} // namespace

ChartWindow::ChartWindow(const StepTableModel &steps, int baud) : QWidget(nullptr), m_steps(steps), m_baud(baud)
{
    setObjectName(QStringLiteral("frmChart"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Chart"));
    resize(900, 420);
    connect(&steps, &StepTableModel::modelReset, this, &ChartWindow::programChanged);
    connect(&steps, &StepTableModel::rowsInserted, this, &ChartWindow::programChanged);
    connect(&steps, &StepTableModel::rowsRemoved, this, &ChartWindow::programChanged);
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &ChartWindow::workOnTimeline);
}

ChartWindow::~ChartWindow()
{
    delete m_progress;
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
    // What was being worked out belongs to the program before the change.
    m_checker.reset();
    m_slices.stop();
    m_cancelled = false;
    m_timelineDue = true;
    update();
}

QProgressDialog *ChartWindow::progressDialog() const
{
    return m_progress;
}

void ChartWindow::cancelDrawing()
{
    if (!m_checker)
        return;
    m_checker.reset();
    m_slices.stop();
    m_cancelled = true;
    // Called from the dialog's own Cancel: it goes once that has returned.
    if (m_progress) {
        m_progress->hide();
        m_progress->deleteLater();
        m_progress = nullptr;
    }
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
    m_pictureDue = true;
    QWidget::resizeEvent(event);
}

void ChartWindow::startTimeline()
{
    LineSettings line;
    line.baud = m_baud;
    m_checker = std::make_unique<LineChecker>(m_steps, line);
    m_working.start();
    workOnTimeline();
}

void ChartWindow::workOnTimeline()
{
    if (!m_checker)
        return;
    QElapsedTimer slice;
    slice.start();
    while (!m_checker->advance(4096) && slice.elapsed() < SliceMs) {
    }
    if (m_checker->done()) {
        finishTimeline();
        return;
    }
    if (!m_progress) {
        m_progress = new QProgressDialog(QStringLiteral("Drawing the chart of %1 rows...").arg(m_steps.count()),
                                         QStringLiteral("Cancel"), 0, 1000, this);
        m_progress->setObjectName(QStringLiteral("dlgChartProgress"));
        m_progress->setWindowModality(Qt::NonModal); // the window and a run go on beside it
        // Shown once the work has taken a second.
        m_progress->setMinimumDuration(std::max(0, 1000 - static_cast<int>(m_working.elapsed())));
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        connect(m_progress, &QProgressDialog::canceled, this, &ChartWindow::cancelDrawing);
    }
    m_progress->setValue(static_cast<int>(m_checker->progress() * 1000));
    m_slices.start();
    update();
}

void ChartWindow::finishTimeline()
{
    m_timeline = std::move(m_checker->takeResult().timeline);
    m_checker.reset();
    m_slices.stop();
    delete m_progress;
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
    m_timelineDue = false;
    m_pictureDue = true;
    update();
}

void ChartWindow::drawPicture()
{
    m_picture = QPixmap(size() * devicePixelRatioF());
    m_picture.setDevicePixelRatio(devicePixelRatioF());
    m_picture.fill(Qt::white);
    QPainter p(&m_picture);
    ChartStyle style;
    style.timeNote = QStringLiteral("at %1 baud").arg(m_baud);
    // A margin, so that the texts at the edges do not touch the window's frame.
    m_plot = drawProgramChart(p, QRectF(rect()).adjusted(8, 6, -8, -4), m_timeline, style);
    m_pictureDue = false;
    ++m_drawings;
}

void ChartWindow::drawNote(QPainter &p, const QString &text)
{
    p.fillRect(rect(), palette().base());
    p.setPen(palette().color(QPalette::Text));
    p.drawText(rect().adjusted(20, 20, -20, -20), Qt::AlignCenter | Qt::TextWordWrap, text);
}

void ChartWindow::paintEvent(QPaintEvent *)
{
    if (m_timelineDue && !m_checker && !m_cancelled)
        startTimeline();
    QPainter p(this);
    if (m_timelineDue) {
        if (m_cancelled)
            drawNote(p, QStringLiteral(
                            "The chart was not drawn: cancelled. It is drawn again after the next change "
                            "of the program or the baud rate."));
        else
            drawNote(p, QStringLiteral("Drawing the chart of %1 rows: %2 %")
                            .arg(m_steps.count())
                            .arg(static_cast<int>(m_checker ? m_checker->progress() * 100 : 0)));
        return;
    }
    if (m_pictureDue)
        drawPicture();
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
