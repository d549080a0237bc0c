// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/shell/AppIcon.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

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

namespace {
// Watches a window for its first paint; what is queued then runs once the
// frame has gone to the screen. A window that does not draw soon (one that
// starts minimized) gets its icon anyway, for its taskbar entry.
class FirstFrameIcon : public QObject
{
public:
    static constexpr int LatestMs = 1000;

    explicit FirstFrameIcon(QWidget *window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        QTimer::singleShot(LatestMs, this, [this] { apply(); });
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint) {
            m_window->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] { apply(); });
        }
        return false;
    }

private:
    void apply()
    {
        if (m_applied)
            return;
        m_applied = true;
        m_window->removeEventFilter(this);
        m_window->setWindowIcon(appIcon());
        deleteLater();
    }

    QWidget *m_window;
    bool m_applied = false;
};
} // namespace

void setIconAfterFirstFrame(QWidget *window)
{
    new FirstFrameIcon(window);
}
