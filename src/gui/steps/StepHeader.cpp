// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/steps/StepHeader.h"

#include <QStyleOptionHeader>

StepHeader::StepHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {}

QSize StepHeader::sectionSizeFromContents(int logicalIndex) const
{
    ensurePolished();
    QStyleOptionHeader option;
    initStyleOption(&option); // the header's own font
    option.section = logicalIndex;
    if (model())
        option.text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    return style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
}
