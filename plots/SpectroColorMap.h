#pragma once

#include <qwt_color_map.h>

// Colours of the spectrogram's density (0.0 ... 0.5): the colour file's "SpectroPlot" stops.
class SpectroColorMap : public QwtLinearColorMap
{
public:
    SpectroColorMap();
};
