// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/shell/AppIcon.h"

// The resources live in a static library: without a reference from code
// that is linked in, the linker would drop them. (Q_INIT_RESOURCE must not be
// used inside a namespace, hence a static function at file scope.)
static void ensureResources()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(quorra);
        return true;
    }();
    (void)loaded;
}

QIcon appIcon()
{
    ensureResources();
    QIcon icon;
    for (const char *file : {":/icons/quorra-32.png", ":/icons/quorra-64.png", ":/icons/quorra-256.png"})
        icon.addFile(QLatin1String(file));
    return icon;
}

QPixmap appIconPixmap32()
{
    ensureResources();
    return QPixmap(QStringLiteral(":/icons/quorra-32.png"));
}
