#include "TavPlotSpectrogram.h"

#include "RasterImageRenderer.h"
#include "TavMatrixRasterData.h"
#include "WaterfallData.h"

#include <qwt_color_map.h>
#include <qwt_matrix_raster_data.h>

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

QImage TavPlotSpectrogram::renderImage(const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                                       const QRectF &area, const QSize &imageSize) const
{
    const QwtRasterData *raster = data();
    const QwtColorMap *map = colorMap();
    if (!m_fastRendering || !raster || !map || map->format() != QwtColorMap::RGB)
        return QwtPlotSpectrogram::renderImage(xMap, yMap, area, imageSize);
    if (imageSize.isEmpty())
        return QImage();
    const QwtInterval range = raster->interval(Qt::ZAxis);
    if (!range.isValid())
        return QImage();

    using Mode = RasterImageRenderer::Interpolation;
    std::unique_ptr<RasterImageRenderer::Rows> rows;
    RasterImageRenderer::Grid grid;
    Mode mode = Mode::Bilinear;
    if (const auto *waterfall = dynamic_cast<const WaterfallData *>(raster)) {
        rows = std::make_unique<SampleRows>(*waterfall);
        grid = gridOf(*raster, waterfall->numColumns(), waterfall->numRows());
    } else if (const auto *tav = dynamic_cast<const TavMatrixRasterData *>(raster)) {
        if (tav->resampleMode() == TavMatrixRasterData::BilinearInterpolation)
            mode = Mode::Bilinear;
        else if (tav->resampleMode() == TavMatrixRasterData::BicubicInterpolation)
            mode = Mode::Bicubic;
        else
            return QwtPlotSpectrogram::renderImage(xMap, yMap, area, imageSize);
        rows = std::make_unique<MatrixRows>(tav->valueMatrix(), tav->numColumns());
        grid = gridOf(*raster, tav->numColumns(), tav->numRows());
    } else if (const auto *matrix = dynamic_cast<const QwtMatrixRasterData *>(raster)) {
        if (matrix->resampleMode() != QwtMatrixRasterData::BilinearInterpolation)
            return QwtPlotSpectrogram::renderImage(xMap, yMap, area, imageSize);
        rows = std::make_unique<MatrixRows>(matrix->valueMatrix(), matrix->numColumns());
        grid = gridOf(*raster, matrix->numColumns(), matrix->numRows());
    } else {
        return QwtPlotSpectrogram::renderImage(xMap, yMap, area, imageSize);
    }

    QMutexLocker locker(&m_mutex);
    // Premultiplied colours: the painter then draws the image without converting it.
    if (m_lookup.isNull() || !m_lookup.matches(*map, range, true))
        m_lookup = ColorLookup(*map, range, true);
    // The last image is reused once the painter has let go of it: a fresh one of this size
    // would cost its pages again for every frame.
    if (m_image.size() != imageSize || !m_image.isDetached())
        m_image = QImage(imageSize, QImage::Format_ARGB32_Premultiplied);
    RasterImageRenderer::render(*rows, grid, mode, m_lookup, xMap, yMap, m_image,
                                int(renderThreadCount()));
    return m_image;
}
