// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/steps/StepListView.h"

#include "gui/steps/StepHeader.h"
#include "gui/steps/StepTableMenu.h"

#include <QAccessible>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScopedValueRollback>

StepListView::StepListView(QWidget *parent) : QTreeView(parent)
{
    setHeader(new StepHeader(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true); // keeps 100,000-row tables fast
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // A selected row is drawn as selected also when the table lacks the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
}

void StepListView::setSteps(StepTableModel &steps)
{
    Q_ASSERT(!m_model);
    m_model = &steps;
    // The selection model comes with the model: what follows the selection
    // is connected after it.
    setModel(m_model);
    // The document may go before its view does, as the window's members go
    // before its child widgets.
    connect(m_model, &QObject::destroyed, this, [this] { m_model = nullptr; });

    m_menu = std::make_unique<StepTableMenu>(*this, m_edits.history());

    connect(m_model, &StepTableModel::itemCheck, this, &StepListView::itemCheck);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &StepListView::keepSelection);
    // Whoever replaces the rows (a file read works on the model alone), the
    // first row of a table that holds rows is selected.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (count() > 0)
            select(1);
    });
}

StepListView::~StepListView() = default;

void StepListView::add(int position, const StepRecord &record)
{
    const bool wasEmpty = count() == 0;
    {
        const QScopedValueRollback guard(m_changingRows, true);
        m_model->add(position, record);
    }
    if (wasEmpty)
        select(1);
}

void StepListView::addRows(int position, std::vector<StepRecord> rows)
{
    const bool wasEmpty = count() == 0;
    {
        const QScopedValueRollback guard(m_changingRows, true);
        m_model->addRows(position, std::move(rows));
    }
    if (wasEmpty && count() > 0)
        select(1);
}

std::vector<StepRecord> StepListView::takeRows(int position, int count)
{
    const QScopedValueRollback guard(m_changingRows, true);
    return m_model->takeRows(position, count);
}

void StepListView::remove(int position)
{
    const QScopedValueRollback guard(m_changingRows, true);
    m_model->remove(position);
}

void StepListView::clear()
{
    const QScopedValueRollback guard(m_changingRows, true);
    m_model->clear();
}

void StepListView::replaceAll(std::vector<StepRecord> rows)
{
    const QScopedValueRollback guard(m_changingRows, true);
    m_model->replaceAll(std::move(rows)); // the reset selects the first row
}

int StepListView::selectedIndex() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.constFirst().row() + 1;
}

void StepListView::select(int position)
{
    const QModelIndex index = m_model->index(position - 1, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void StepListView::ensureVisible(int position)
{
    scrollTo(m_model->index(position - 1, 0));
}

void StepListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click on a row selects it first (the press did that already);
    // one on the empty space below the rows works on the selected row.
    QTreeView::mouseDoubleClickEvent(event);
    emit dblClick();
}

void StepListView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                               const QList<int> &roles)
{
    // A change over many rows (Select All) needs only the rows in sight
    // redrawn: every row has the same height, and rows out of sight are read
    // afresh when they scroll in. The tree view itself would walk the whole
    // range, which takes tens of milliseconds for 100,000 rows. Screen
    // readers, when active, still hear of the whole range.
    if (topLeft.row() == bottomRight.row() || QAccessible::isActive()) {
        QTreeView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    if (!isVisible())
        return;
    const QModelIndex firstInSight = indexAt(QPoint(0, 0));
    const QModelIndex lastInSight = indexAt(QPoint(0, viewport()->height() - 1));
    const int top = std::max(topLeft.row(), firstInSight.isValid() ? firstInSight.row() : 0);
    const int bottom = std::min(bottomRight.row(), lastInSight.isValid() ? lastInSight.row() : count() - 1);
    if (top > bottom)
        return;
    QTreeView::dataChanged(m_model->index(top, topLeft.column()), m_model->index(bottom, bottomRight.column()),
                           roles);
}

void StepListView::keepSelection(const QItemSelection &selected, const QItemSelection &deselected)
{
    // Row changes of our own are followed by an explicit selection.
    if (m_changingRows || !selected.isEmpty() || deselected.isEmpty() || count() == 0)
        return;
    if (selectionModel()->hasSelection())
        return;
    const int row = deselected.indexes().constFirst().row();
    if (row >= 0 && row < count())
        select(row + 1);
}
