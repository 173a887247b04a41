#pragma once

#include <qwt_color_map.h>

// The highlight layer's factor: dark grey (#808080, half brightness) at 0.0 to white at 1.0.
class HighlightColorMap : public QwtLinearColorMap
{
public:
    HighlightColorMap();
};
