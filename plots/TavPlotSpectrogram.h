#pragma once

#include "ColorLookup.h"

#include <QMutex>
#include <qwt_plot_spectrogram.h>

// The plots' spectrogram item. It draws exactly what the plotting library's item draws (the
// raster's value at every pixel through the colour map, placed and clipped by the library),
// but renders the image itself, separably and from a colour table (RasterImageRenderer),
// for the matrix rasters of this program in their bilinear and bicubic modes: the library's
// item asks a virtual value() and a colour-map search for every pixel, which at full-screen
// size takes several sweep periods. Other rasters and modes render the library's way, as
// does every raster while fast rendering is switched off (which tests and benchmarks do to
// compare both).
class TavPlotSpectrogram : public QwtPlotSpectrogram
{
public:
    explicit TavPlotSpectrogram(const QString &title = QString());

    void setFastRendering(bool on) { m_fastRendering = on; }
    bool fastRendering() const { return m_fastRendering; }

protected:
    QImage renderImage(const QwtScaleMap &xMap, const QwtScaleMap &yMap, const QRectF &area,
                       const QSize &imageSize) const override;

private:
    bool m_fastRendering = true;
    mutable QMutex m_mutex;
    // The colour table of the last rendering, kept while map and value range stay the same.
    mutable ColorLookup m_lookup;
    // The last image rendered.
    mutable QImage m_image;
};
