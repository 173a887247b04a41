#include "RasterImageRenderer.h"

#include "ColorLookup.h"
#include "RasterInterpolation.h"

#include <QFuture>
#include <QThread>
#include <QtConcurrent>
#include <qwt_scale_map.h>
#include <vector>

using namespace RasterInterpolation;

namespace {

using Interpolation = RasterImageRenderer::Interpolation;
using Grid = RasterImageRenderer::Grid;
using Rows = RasterImageRenderer::Rows;

// Taps and weights of one image column or image row. Bilinear uses b and c with weights wb
// and wc; bicubic all four.
struct Tap
{
    bool inside = false;
    int a = 0, b = 0, c = 0, d = 0;
    double wa = 0.0, wb = 0.0, wc = 0.0, wd = 0.0;
};

Tap makeTap(Interpolation mode, double pos, const QwtInterval &interval, double step, int count)
{
    Tap tap;
    tap.inside = interval.contains(pos);
    if (!tap.inside)
        return tap;
    if (mode == Interpolation::Bilinear) {
        const LinearTaps t = linearTaps(pos, interval.minValue(), step, count);
        tap.b = t.first;
        tap.c = t.second;
        tap.wb = t.weight;
        tap.wc = 1.0 - t.weight;
    } else {
        const CubicTaps t = cubicTaps(pos, interval.minValue(), step, count);
        const CubicWeights w = cubicWeights(t.t);
        tap.a = t.a;
        tap.b = t.b;
        tap.c = t.c;
        tap.d = t.d;
        tap.wa = w.wa;
        tap.wb = w.wb;
        tap.wc = w.wc;
        tap.wd = w.wd;
    }
    return tap;
}

struct Job
{
    const Rows *rows;
    const Grid *grid;
    Interpolation mode;
    const ColorLookup *colors;
    const QwtScaleMap *yMap;
    const std::vector<Tap> *columns;
    QImage *image;
};

void renderBand(const Job &job, int top, int bottom)
{
    const Grid &grid = *job.grid;
    const int n = grid.numColumns;
    const int width = job.image->width();
    const Tap *columns = job.columns->data();
    const ColorLookup &colors = *job.colors;
    std::vector<double> scratch(5 * size_t(n));
    double *combined = scratch.data();
    double *rowScratch[4] = {combined + n, combined + 2 * n, combined + 3 * n, combined + 4 * n};

    for (int y = top; y < bottom; ++y) {
        auto *line = reinterpret_cast<QRgb *>(job.image->scanLine(y));
        const Tap row = makeTap(job.mode, job.yMap->invTransform(y), grid.y, grid.dy, grid.numRows);
        if (!row.inside) {
            std::fill(line, line + width, 0u);
            continue;
        }
        // Rows first: the matrix rows this image row lies between, weighted into one.
        if (job.mode == Interpolation::Bilinear) {
            const double *rb = job.rows->row(row.b, rowScratch[0]);
            const double *rc = job.rows->row(row.c, rowScratch[1]);
            for (int col = 0; col < n; ++col)
                combined[col] = row.wb * rb[col] + row.wc * rc[col];
        } else {
            const double *ra = job.rows->row(row.a, rowScratch[0]);
            const double *rb = job.rows->row(row.b, rowScratch[1]);
            const double *rc = job.rows->row(row.c, rowScratch[2]);
            const double *rd = job.rows->row(row.d, rowScratch[3]);
            for (int col = 0; col < n; ++col)
                combined[col]
                    = row.wa * ra[col] + row.wb * rb[col] + row.wc * rc[col] + row.wd * rd[col];
        }
        // Then the columns, within the combined row.
        if (job.mode == Interpolation::Bilinear) {
            for (int x = 0; x < width; ++x) {
                const Tap &t = columns[x];
                line[x] = t.inside ? colors.rgb(t.wb * combined[t.b] + t.wc * combined[t.c]) : 0u;
            }
        } else {
            for (int x = 0; x < width; ++x) {
                const Tap &t = columns[x];
                line[x] = t.inside ? colors.rgb(t.wa * combined[t.a] + t.wb * combined[t.b]
                                                + t.wc * combined[t.c] + t.wd * combined[t.d])
                                   : 0u;
            }
        }
    }
}

} // namespace

QImage RasterImageRenderer::render(const Rows &rows, const Grid &grid, Interpolation mode,
                                   const ColorLookup &colors, const QwtScaleMap &xMap,
                                   const QwtScaleMap &yMap, const QSize &size, int threads)
{
    QImage image(size, QImage::Format_ARGB32);
    if (image.isNull())
        return image;
    // Without cells or with a zero cell size there is nothing to read: all transparent.
    if (grid.numColumns <= 0 || grid.numRows <= 0 || !(grid.dx > 0.0) || !(grid.dy > 0.0)) {
        image.fill(0u);
        return image;
    }

    std::vector<Tap> columns(size_t(size.width()));
    for (int x = 0; x < size.width(); ++x)
        columns[size_t(x)] = makeTap(mode, xMap.invTransform(x), grid.x, grid.dx, grid.numColumns);

    const Job job{&rows, &grid, mode, &colors, &yMap, &columns, &image};
    if (threads <= 0)
        threads = QThread::idealThreadCount();
    threads = qBound(1, threads, qMax(1, size.height()));
    const int bandHeight = size.height() / threads;
    QList<QFuture<void>> futures;
    for (int i = 0; i < threads - 1; ++i) {
        const int top = i * bandHeight;
        futures.append(
            QtConcurrent::run([job, top, bandHeight] { renderBand(job, top, top + bandHeight); }));
    }
    renderBand(job, (threads - 1) * bandHeight, size.height());
    for (QFuture<void> &future : futures)
        future.waitForFinished();
    return image;
}
