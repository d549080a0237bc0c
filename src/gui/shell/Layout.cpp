// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The resize rule of the main window, and the about box command.
#include "gui/shell/frmControl.h"

#include "gui/shell/ResizeRule.h"
#include "gui/shell/frmAbout.h"
#include "gui/steps/StepListView.h"
#include "gui/widgets/Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <algorithm>

// The rule works on the window's outer size (frameGeometry: frame, title bar
// and menu bar included) in twips, while Qt sizes a window by its inside
// (geometry). The difference is the frame, which the window manager may
// only report after the window is shown; where there is no frame (no window
// manager, offscreen) outer and inside are the same.
namespace {
QSize frameExtra(const QWidget &window)
{
    return window.frameGeometry().size() - window.geometry().size();
}

// Positions are measured from the desktop's top-left corner, so that a
// screen placed left of or above the primary one counts as on the desktop.
QPoint desktopOrigin(const QWidget &window)
{
    const QScreen *screen = window.screen();
    return screen ? screen->virtualGeometry().topLeft() : QPoint();
}

void place(QWidget *widget, const ResizeRule::TwipsRect &r)
{
    setDesignGeometry(widget, r.left, r.top, r.width, r.height);
}

// Qt's minimum applies to the inside: the outer minimum less the frame.
void keepMinimumSize(QWidget &window)
{
    const QSize extra = frameExtra(window);
    window.setMinimumSize(twipsToPixels(ResizeRule::MinimumWidth) - extra.width(),
                          twipsToPixels(ResizeRule::MinimumHeight) - extra.height());
}
} // namespace

void frmControl::Form_Resize()
{
    // Resizing the window from here raises the resize event again.
    if (m_inResize)
        return;
    const QScopedValueRollback guard(m_inResize, true);

    keepMinimumSize(*this);

    const QRect outer = frameGeometry();
    const QPoint origin = desktopOrigin(*this);
    ResizeRule::WindowState state;
    state.left = pixelsToTwips(outer.left() - origin.x());
    state.top = pixelsToTwips(outer.top() - origin.y());
    state.width = pixelsToTwips(outer.width());
    state.height = pixelsToTwips(outer.height());
    state.minimized = windowState().testFlag(Qt::WindowMinimized);
    state.statusBarHeight = pixelsToTwips(m_ui.StatusBar1->height());

    const std::optional<ResizeRule::Layout> layout = ResizeRule::layoutFor(state);
    if (!layout)
        return;

    if (layout->width != state.width || layout->height != state.height) {
        const QSize extra = frameExtra(*this);
        resize(std::max(twipsToPixels(layout->width) - extra.width(), width()),
               std::max(twipsToPixels(layout->height) - extra.height(), height()));
    }

    place(m_ui.fraData, layout->fraData);
    place(m_ui.livData, layout->livData);
    place(m_ui.chkDataSelectAll, layout->chkDataSelectAll);
    place(m_ui.cmdDataInsert, layout->cmdDataInsert);
    place(m_ui.cmdDataAppend, layout->cmdDataAppend);
    place(m_ui.cmdDataDelete, layout->cmdDataDelete);
}

void frmControl::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

// A window that was resized while lying beyond the desktop's edge was left
// as it was; laying it out when it moves back keeps the table fitting the
// window. Moves are also when a window manager first reports the frame, on
// which the minimum size depends.
void frmControl::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    Form_Resize();
}

// One about box at most: a second About brings the open one to the front.
// It has no owner, so closing the main window leaves it open.
void frmControl::mnuAbout_Click()
{
    if (About) {
        About->raise();
        About->activateWindow();
        return;
    }
    About = new frmAbout(nullptr);
    About->show();
}
