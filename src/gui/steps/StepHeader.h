// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QHeaderView>

// The step table's column captions. Qt sizes a section for its caption in
// bold, as a sorted or highlighted section is drawn; this table's captions
// are never drawn so, and measuring them in bold loads a font face of its
// own before the window's first frame. They are measured in the font they
// are drawn in (in the fonts this program meets, bold is no taller).
class StepHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit StepHeader(QWidget *parent = nullptr);

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override;
};
