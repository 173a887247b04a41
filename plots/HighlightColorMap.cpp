#include "HighlightColorMap.h"

HighlightColorMap::HighlightColorMap()
    : QwtLinearColorMap(QColor(0x80, 0x80, 0x80), QColor(0xff, 0xff, 0xff), QwtColorMap::RGB)
{ }
