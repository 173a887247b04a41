#pragma once

#include "TavPlotSpectrogram.h"

// The spectrogram's highlight layer: drawn over the density image in Multiply mode, so its
// grey-to-white colours dim the density (half brightness at 0.0, unchanged at 1.0).
class HighlightSpectrogram : public TavPlotSpectrogram
{
public:
    using TavPlotSpectrogram::TavPlotSpectrogram;

    void draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
              const QRectF &canvasRect) const override;
};
