#include "TavPlotSpectrogram.h"

#include "RasterImageRenderer.h"
#include "TavMatrixRasterData.h"
#include "WaterfallData.h"

#include <QPainter>
#include <qwt_color_map.h>
#include <qwt_matrix_raster_data.h>
#include <qwt_scale_map.h>

namespace {

class MatrixRows : public RasterImageRenderer::Rows
{
public:
    MatrixRows(const QVector<double> &values, int numColumns)
        : m_values(values)
        , m_numColumns(numColumns)
    { }
    const double *row(int index, double *) const override
    {
        return m_values.constData() + index * m_numColumns;
    }

private:
    const QVector<double> m_values; // shared with the raster, so it stays put while rendering
    const int m_numColumns;
};

class SampleRows : public RasterImageRenderer::Rows
{
public:
    explicit SampleRows(const WaterfallData &data)
        : m_data(data)
    { }
    const double *row(int index, double *scratch) const override
    {
        m_data.rowValues(index, scratch);
        return scratch;
    }

private:
    const WaterfallData &m_data;
};

RasterImageRenderer::Grid gridOf(const QwtRasterData &data, int numColumns, int numRows)
{
    RasterImageRenderer::Grid grid;
    grid.numColumns = numColumns;
    grid.numRows = numRows;
    grid.x = data.interval(Qt::XAxis);
    grid.y = data.interval(Qt::YAxis);
    if (numColumns > 0 && numRows > 0) {
        if (grid.x.isValid())
            grid.dx = grid.x.width() / numColumns;
        if (grid.y.isValid())
            grid.dy = grid.y.width() / numRows;
    }
    return grid;
}

} // namespace

TavPlotSpectrogram::TavPlotSpectrogram(const QString &title)
    : QwtPlotSpectrogram(title)
{ }

TavPlotSpectrogram::~TavPlotSpectrogram()
{
    setMultipliedLayer(nullptr);
    if (m_drawnBy)
        m_drawnBy->m_multipliedLayer = nullptr;
}

void TavPlotSpectrogram::setMultipliedLayer(TavPlotSpectrogram *layer)
{
    if (m_multipliedLayer)
        m_multipliedLayer->m_drawnBy = nullptr;
    m_multipliedLayer = layer;
    if (layer)
        layer->m_drawnBy = this;
}

bool TavPlotSpectrogram::fastLayer(FastLayer *out) const
{
    const QwtRasterData *raster = data();
    const QwtColorMap *map = colorMap();
    if (!m_fastRendering || !raster || !map || map->format() != QwtColorMap::RGB)
        return false;
    const QwtInterval range = raster->interval(Qt::ZAxis);
    if (!range.isValid())
        return false;

    using Mode = RasterImageRenderer::Interpolation;
    RasterImageRenderer::Layer &layer = out->layer;
    if (const auto *waterfall = dynamic_cast<const WaterfallData *>(raster)) {
        out->rows = std::make_unique<SampleRows>(*waterfall);
        layer.grid = gridOf(*raster, waterfall->numColumns(), waterfall->numRows());
        layer.mode = Mode::Bilinear;
    } else if (const auto *tav = dynamic_cast<const TavMatrixRasterData *>(raster)) {
        if (tav->resampleMode() == TavMatrixRasterData::BilinearInterpolation)
            layer.mode = Mode::Bilinear;
        else if (tav->resampleMode() == TavMatrixRasterData::BicubicInterpolation)
            layer.mode = Mode::Bicubic;
        else
            return false;
        out->rows = std::make_unique<MatrixRows>(tav->valueMatrix(), tav->numColumns());
        layer.grid = gridOf(*raster, tav->numColumns(), tav->numRows());
    } else if (const auto *matrix = dynamic_cast<const QwtMatrixRasterData *>(raster)) {
        if (matrix->resampleMode() != QwtMatrixRasterData::BilinearInterpolation)
            return false;
        out->rows = std::make_unique<MatrixRows>(matrix->valueMatrix(), matrix->numColumns());
        layer.grid = gridOf(*raster, matrix->numColumns(), matrix->numRows());
        layer.mode = Mode::Bilinear;
    } else {
        return false;
    }
    layer.rows = out->rows.get();

    // Premultiplied colours: the painter then draws the image without converting it.
    QMutexLocker locker(&m_mutex);
    if (m_lookup.isNull() || !m_lookup.matches(*map, range, true))
        m_lookup = ColorLookup(*map, range, true);
    layer.colors = &m_lookup;
    return true;
}

bool TavPlotSpectrogram::drawsLayer(const TavPlotSpectrogram *layer) const
{
    if (!layer || layer != m_multipliedLayer || !m_fastRendering || !layer->m_fastRendering)
        return false;
    if (!plot() || layer->plot() != plot() || !isVisible() || !layer->isVisible())
        return false;
    if (alpha() >= 0 || layer->alpha() >= 0 || !data() || !layer->data())
        return false;
    // Both over the same area, so that their images are the same pixels.
    for (Qt::Axis axis : {Qt::XAxis, Qt::YAxis}) {
        if (!(data()->interval(axis) == layer->data()->interval(axis)))
            return false;
    }
    FastLayer mine;
    FastLayer theirs;
    return fastLayer(&mine) && layer->fastLayer(&theirs);
}

void TavPlotSpectrogram::draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                              const QRectF &canvasRect) const
{
    // Drawn within the image of the item below.
    if (m_drawnBy && m_drawnBy->drawsLayer(this))
        return;
    // On a high-density screen (or at a scale factor) the library renders the image at the
    // canvas's logical size and has the painter scale it up, blurred. The fast path renders
    // one image pixel for every device pixel instead.
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    FastLayer mine;
    if (ratio <= 1.0 || painter->transform().type() > QTransform::TxTranslate
        || !fastLayer(&mine)) {
        QwtPlotSpectrogram::draw(painter, xMap, yMap, canvasRect);
        return;
    }
    QRectF area = QwtScaleMap::invTransform(xMap, yMap, canvasRect).normalized();
    const QRectF bounds = boundingRect().normalized();
    if (bounds.isValid())
        area &= bounds;
    if (area.isEmpty())
        return;
    const QRectF paintRect = QwtScaleMap::transform(xMap, yMap, area).normalized();
    const QRect deviceRect
        = QRectF(paintRect.topLeft() * ratio, paintRect.size() * ratio).toAlignedRect();
    if (deviceRect.isEmpty())
        return;
    // The maps of the image's pixels: the canvas's, scaled to device pixels and moved to the
    // image's corner.
    QwtScaleMap imageX = xMap;
    imageX.setPaintInterval(xMap.p1() * ratio - deviceRect.left(),
                            xMap.p2() * ratio - deviceRect.left());
    QwtScaleMap imageY = yMap;
    imageY.setPaintInterval(yMap.p1() * ratio - deviceRect.top(),
                            yMap.p2() * ratio - deviceRect.top());
    const QImage image = renderImage(imageX, imageY, area, deviceRect.size());
    if (image.isNull())
        return;
    // A target of the image's size in device pixels: drawn one to one, without scaling.
    painter->drawImage(
        QRectF(QPointF(deviceRect.topLeft()) / ratio, QSizeF(deviceRect.size()) / ratio), image);
}

QImage TavPlotSpectrogram::renderImage(const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                                       const QRectF &area, const QSize &imageSize) const
{
    FastLayer mine;
    if (!fastLayer(&mine))
        return QwtPlotSpectrogram::renderImage(xMap, yMap, area, imageSize);
    if (imageSize.isEmpty())
        return QImage();
    FastLayer multiplied;
    const bool withLayer
        = drawsLayer(m_multipliedLayer) && m_multipliedLayer->fastLayer(&multiplied);

    QMutexLocker locker(&m_mutex);
    // The last image is reused once the painter has let go of it: a fresh one of this size
    // would cost its pages again for every frame.
    if (m_image.size() != imageSize || !m_image.isDetached())
        m_image = QImage(imageSize, QImage::Format_ARGB32_Premultiplied);
    RasterImageRenderer::render(mine.layer, withLayer ? &multiplied.layer : nullptr, xMap, yMap,
                                m_image, int(renderThreadCount()));
    return m_image;
}
