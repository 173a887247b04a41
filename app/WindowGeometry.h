#pragma once

#include <QRect>

class QWidget;

// Where the main window opens: the geometry and maximised state saved at the last quit
// (settings "WindowGeometry", "WindowMaximized"), or when none was saved, centred in the
// screen's available area at its full width and 0.66 of its height.
class WindowGeometry
{
public:
    static QRect defaultGeometry(const QRect &available);
    static void restore(QWidget &window);
    static void save(const QWidget &window);
};
