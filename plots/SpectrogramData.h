#pragma once

#include <qwt_matrix_raster_data.h>

// The density raster of the spectrogram: bilinear, values 0.0 ... 0.5 across the colour map.
class SpectrogramData : public QwtMatrixRasterData
{
public:
    SpectrogramData();
};
