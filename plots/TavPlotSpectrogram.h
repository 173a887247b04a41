#pragma once

#include "ColorLookup.h"
#include "RasterImageRenderer.h"

#include <QMutex>
#include <memory>
#include <qwt_plot_spectrogram.h>

// The plots' spectrogram item. It draws exactly what the plotting library's item draws (the
// raster's value at every pixel through the colour map, placed and clipped by the library),
// but renders the image itself, separably and from a colour table (RasterImageRenderer),
// for the matrix rasters of this program in their bilinear and bicubic modes: the library's
// item asks a virtual value() and a colour-map search for every pixel, which at full-screen
// size takes several sweep periods. Other rasters and modes render the library's way, as
// does every raster while fast rendering is switched off (which tests and benchmarks do to
// compare both).
//
// An item may also carry a layer that is drawn over it in Multiply mode (the spectrogram's
// highlight): while both render fast over the same area, this item's image holds the layer
// multiplied in and the layer draws nothing, which spares a full-screen Multiply blend.
// The picture is the same as long as what lies under the two is black, as the plots' canvas
// is.
class TavPlotSpectrogram : public QwtPlotSpectrogram
{
public:
    explicit TavPlotSpectrogram(const QString &title = QString());
    ~TavPlotSpectrogram() override;

    void setFastRendering(bool on) { m_fastRendering = on; }
    bool fastRendering() const { return m_fastRendering; }

    // layer (attached to the same plot, drawn right after this item in Multiply mode) may be
    // drawn within this item's image; null for none.
    void setMultipliedLayer(TavPlotSpectrogram *layer);
    // Whether this item draws layer within its own image at the next drawing.
    bool drawsLayer(const TavPlotSpectrogram *layer) const;

    void draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
              const QRectF &canvasRect) const override;

protected:
    QImage renderImage(const QwtScaleMap &xMap, const QwtScaleMap &yMap, const QRectF &area,
                       const QSize &imageSize) const override;

private:
    // What the fast renderer needs of this item, or false when it renders the library's way.
    struct FastLayer
    {
        std::unique_ptr<RasterImageRenderer::Rows> rows;
        RasterImageRenderer::Layer layer;
    };
    bool fastLayer(FastLayer *out) const;

    bool m_fastRendering = true;
    TavPlotSpectrogram *m_multipliedLayer = nullptr;
    TavPlotSpectrogram *m_drawnBy = nullptr;
    mutable QMutex m_mutex;
    // The colour table of the last rendering, kept while map and value range stay the same.
    mutable ColorLookup m_lookup;
    // The last image rendered.
    mutable QImage m_image;
};
