#pragma once

#include <qwt_color_map.h>

// Colours of the waterfall's amplitude (-100 ... -30 dBm): the colour file's "WaterfallPlot"
// stops.
class WaterfallColorMap : public QwtLinearColorMap
{
public:
    WaterfallColorMap();
};
