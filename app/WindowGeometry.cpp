#include "WindowGeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

QRect WindowGeometry::defaultGeometry(const QRect &available)
{
    const int height = int(available.height() * 0.66);
    return QRect(available.x(), available.y() + (available.height() - height) / 2,
                 available.width(), height);
}

void WindowGeometry::restore(QWidget &window)
{
    QSettings settings;
    QRect available(0, 0, 1280, 800);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        available = screen->availableGeometry();
    window.setGeometry(settings.value("WindowGeometry", defaultGeometry(available)).toRect());
    if (settings.value("WindowMaximized", false).toBool())
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void WindowGeometry::save(const QWidget &window)
{
    QSettings settings;
    settings.setValue("WindowMaximized", window.isMaximized());
    if (!window.isMaximized())
        settings.setValue("WindowGeometry", window.geometry());
}
