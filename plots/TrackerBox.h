#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

// The dark box behind the plots' tracker texts.
namespace TrackerBox {

// The library's tracker rectangle, grown by 2 pixels on every side.
inline QRect grow(const QRect &rect)
{
    return rect.isEmpty() ? rect : rect.adjusted(-2, -2, 2, 2);
}

inline void fill(QPainter *painter, const QRect &rect)
{
    if (!rect.isEmpty())
        painter->fillRect(rect.adjusted(0, 0, -1, -1), QColor(0, 0, 0, 192));
}

} // namespace TrackerBox
