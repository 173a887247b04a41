#include "RasterImageRenderer.h"

#include "ColorLookup.h"
#include "RasterInterpolation.h"

#include <QFuture>
#include <QThread>
#include <QtConcurrent>
#include <algorithm>
#include <limits>
#include <qwt_scale_map.h>
#include <vector>

using namespace RasterInterpolation;

namespace {

using Interpolation = RasterImageRenderer::Interpolation;
using Grid = RasterImageRenderer::Grid;
using Rows = RasterImageRenderer::Rows;

// Taps and weights of one image row or column: value = wa V[a] + wb V[b] + wc V[c] + wd V[d]
// (bilinear: only b and c). Outside the raster's interval, b is count.
struct Tap
{
    int a = 0, b = 0, c = 0, d = 0;
    double wa = 0.0, wb = 0.0, wc = 0.0, wd = 0.0;

    bool outside(int count) const { return b == count; }
    bool sameCells(const Tap &o) const { return a == o.a && b == o.b && c == o.c && d == o.d; }
};

Tap makeTap(Interpolation mode, double pos, const QwtInterval &interval, double step, int count)
{
    Tap tap;
    if (!interval.contains(pos)) {
        tap.a = tap.b = tap.c = tap.d = count;
        return tap;
    }
    if (mode == Interpolation::Bilinear) {
        const LinearTaps t = linearTaps(pos, interval.minValue(), step, count);
        tap.a = tap.b = t.first;
        tap.c = tap.d = t.second;
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

// The column taps of every image column, laid out for the pixel loops, and the range of
// columns inside the raster.
struct ColumnTaps
{
    std::vector<int> a, b, c, d;
    std::vector<double> wa, wb, wc, wd;
    int begin = 0;
    int end = 0;

    ColumnTaps(Interpolation mode, const QwtScaleMap &xMap, const Grid &grid, int width)
    {
        for (auto *v : {&a, &b, &c, &d})
            v->resize(size_t(width));
        for (auto *v : {&wa, &wb, &wc, &wd})
            v->resize(size_t(width));
        for (int x = 0; x < width; ++x) {
            const Tap t = makeTap(mode, xMap.invTransform(x), grid.x, grid.dx, grid.numColumns);
            const size_t i = size_t(x);
            a[i] = t.a;
            b[i] = t.b;
            c[i] = t.c;
            d[i] = t.d;
            wa[i] = t.wa;
            wb[i] = t.wb;
            wc[i] = t.wc;
            wd[i] = t.wd;
        }
        // The interval is contiguous, so the columns inside it are too.
        begin = 0;
        while (begin < width && b[size_t(begin)] == grid.numColumns)
            ++begin;
        end = width;
        while (end > begin && b[size_t(end - 1)] == grid.numColumns)
            --end;
    }

    // Interpolates one row of cells F (numColumns values) along x into out[begin, end).
    void apply(Interpolation mode, const double *f, double *out) const
    {
        const int *ta = a.data(), *tb = b.data(), *tc = c.data(), *td = d.data();
        const double *xa = wa.data(), *xb = wb.data(), *xc = wc.data(), *xd = wd.data();
        if (mode == Interpolation::Bilinear) {
            for (int x = begin; x < end; ++x)
                out[x] = xb[x] * f[tb[x]] + xc[x] * f[tc[x]];
        } else {
            for (int x = begin; x < end; ++x)
                out[x] = xa[x] * f[ta[x]] + xb[x] * f[tb[x]] + xc[x] * f[tc[x]] + xd[x] * f[td[x]];
        }
    }
};

// The colour table as the pixel loop reads it: index 0 for values at or below the range,
// 1 ... k_cells for the cells, k_cells + 1 at or above the range; a cell to be computed
// exactly holds a mark that no premultiplied colour can be (alpha 0 with blue 1).
struct Palette
{
    static constexpr QRgb k_exactMark = 0x00000001u;
    static constexpr int k_cells = ColorLookup::k_cells;
    std::vector<QRgb> colors;

    explicit Palette(const ColorLookup &lookup)
        : colors(size_t(k_cells) + 2)
    {
        colors.front() = lookup.firstColor();
        colors.back() = lookup.lastColor();
        for (int cell = 0; cell < k_cells; ++cell)
            colors[size_t(cell) + 1]
                = lookup.exactCells()[cell] ? k_exactMark : lookup.table()[cell];
    }
};

struct Job
{
    const Rows *rows;
    const Grid *grid;
    Interpolation mode;
    const ColorLookup *colors;
    const Palette *palette;
    const QwtScaleMap *yMap;
    const ColumnTaps *columns;
    QImage *image;
};

// Per band of image rows: the buffers, and the matrix rows in table cells.
class BandRenderer
{
public:
    BandRenderer(const Job &job)
        : m_job(job)
        , m_n(job.grid->numColumns)
        , m_width(job.image->width())
        , m_min(job.colors->min())
        , m_scale(job.colors->cellScale())
        , m_values(size_t(m_width))
        , m_index(size_t(m_width))
        , m_cells(size_t(m_n))
        , m_rowScratch(size_t(m_n))
    { }

    void render(int top, int bottom)
    {
        // With more image rows than matrix rows, interpolate each matrix row along x once
        // and every image row only between those; otherwise interpolate the matrix rows into
        // one row of cells for each image row and that along x.
        const bool columnsFirst = 2 * m_job.grid->numRows < m_job.image->height();
        if (columnsFirst) {
            m_cache.assign(k_cacheSlots * size_t(m_width), 0.0);
            m_cacheTag.assign(k_cacheSlots, -1);
            m_cacheNaN.assign(k_cacheSlots, false);
        }
        for (int y = top; y < bottom; ++y) {
            auto *line = reinterpret_cast<QRgb *>(m_job.image->scanLine(y));
            const Tap row = makeTap(m_job.mode, m_job.yMap->invTransform(y), m_job.grid->y,
                                    m_job.grid->dy, m_job.grid->numRows);
            if (row.outside(m_job.grid->numRows)) {
                std::fill(line, line + m_width, 0u);
                continue;
            }
            const bool hasNaN = columnsFirst ? rowFromColumns(row) : rowFromCells(row);
            colorRow(line, hasNaN);
        }
    }

private:
    static constexpr size_t k_cacheSlots = 8;

    // One matrix row in table cells; the weights of every interpolation sum to one, so this
    // can come before it. Returns whether a value is NaN.
    bool matrixRowCells(int r, double *out)
    {
        const double *v = m_job.rows->row(r, m_rowScratch.data());
        bool nan = false;
        for (int col = 0; col < m_n; ++col) {
            out[col] = (v[col] - m_min) * m_scale;
            nan |= out[col] != out[col];
        }
        return nan;
    }

    // Rows first: the matrix rows weighted into one row of cells, then along x.
    bool rowFromCells(const Tap &row)
    {
        const int taps[4] = {row.a, row.b, row.c, row.d};
        const double weights[4] = {row.wa, row.wb, row.wc, row.wd};
        const int first = m_job.mode == Interpolation::Bilinear ? 1 : 0;
        const int last = m_job.mode == Interpolation::Bilinear ? 2 : 3;
        std::fill(m_cells.begin(), m_cells.end(), 0.0);
        bool nan = false;
        for (int i = first; i <= last; ++i) {
            const double *v = m_job.rows->row(taps[i], m_rowScratch.data());
            const double w = weights[i];
            double *cells = m_cells.data();
            for (int col = 0; col < m_n; ++col)
                cells[col] += w * v[col];
        }
        for (int col = 0; col < m_n; ++col) {
            m_cells[size_t(col)] = (m_cells[size_t(col)] - m_min) * m_scale;
            nan |= m_cells[size_t(col)] != m_cells[size_t(col)];
        }
        m_job.columns->apply(m_job.mode, m_cells.data(), m_values.data());
        return nan;
    }

    // Columns first: the matrix row r interpolated along x, kept for the image rows that
    // need it again.
    const double *columnRow(int r, bool *nan)
    {
        const size_t slot = size_t(r) % k_cacheSlots;
        double *out = m_cache.data() + slot * size_t(m_width);
        if (m_cacheTag[slot] != r) {
            m_cacheTag[slot] = r;
            m_cacheNaN[slot] = matrixRowCells(r, m_cells.data());
            m_job.columns->apply(m_job.mode, m_cells.data(), out);
        }
        *nan |= m_cacheNaN[slot];
        return out;
    }

    bool rowFromColumns(const Tap &row)
    {
        bool nan = false;
        const int begin = m_job.columns->begin;
        const int end = m_job.columns->end;
        double *v = m_values.data();
        if (m_job.mode == Interpolation::Bilinear) {
            const double *xb = columnRow(row.b, &nan);
            const double *xc = columnRow(row.c, &nan);
            const double wb = row.wb, wc = row.wc;
            for (int x = begin; x < end; ++x)
                v[x] = wb * xb[x] + wc * xc[x];
        } else {
            const double *xa = columnRow(row.a, &nan);
            const double *xb = columnRow(row.b, &nan);
            const double *xc = columnRow(row.c, &nan);
            const double *xd = columnRow(row.d, &nan);
            const double wa = row.wa, wb = row.wb, wc = row.wc, wd = row.wd;
            for (int x = begin; x < end; ++x)
                v[x] = wa * xa[x] + wb * xb[x] + wc * xc[x] + wd * xd[x];
        }
        return nan;
    }

    // The values of the row, in table cells, to colours.
    void colorRow(QRgb *line, bool hasNaN)
    {
        const int begin = m_job.columns->begin;
        const int end = m_job.columns->end;
        std::fill(line, line + begin, 0u);
        std::fill(line + end, line + m_width, 0u);
        const double *v = m_values.data();
        int *index = m_index.data();
        constexpr double top = Palette::k_cells;
        for (int x = begin; x < end; ++x) {
            const int cell = int(std::min(std::max(v[x], 0.0), top)) + 1;
            index[x] = v[x] > 0.0 ? cell : 0;
        }
        const QRgb *colors = m_job.palette->colors.data();
        for (int x = begin; x < end; ++x) {
            const QRgb color = colors[index[x]];
            line[x]
                = Q_LIKELY(color != Palette::k_exactMark) ? color : m_job.colors->exactAtCell(v[x]);
        }
        if (Q_UNLIKELY(hasNaN)) {
            for (int x = begin; x < end; ++x) {
                if (v[x] != v[x])
                    line[x] = 0u; // a NaN value is transparent
            }
        }
    }

    const Job &m_job;
    const int m_n;
    const int m_width;
    const double m_min;
    const double m_scale;
    std::vector<double> m_values; // the image row's values in table cells
    std::vector<int> m_index;
    std::vector<double> m_cells;
    std::vector<double> m_rowScratch;
    std::vector<double> m_cache;
    std::vector<int> m_cacheTag;
    std::vector<bool> m_cacheNaN;
};

void renderBand(const Job &job, int top, int bottom)
{
    BandRenderer(job).render(top, bottom);
}

} // namespace

void RasterImageRenderer::render(const Rows &rows, const Grid &grid, Interpolation mode,
                                 const ColorLookup &colors, const QwtScaleMap &xMap,
                                 const QwtScaleMap &yMap, QImage &image, int threads)
{
    const QSize size = image.size();
    if (image.isNull())
        return;
    // Without cells, with a zero cell size or a value range of no width, nothing shows.
    if (grid.numColumns <= 0 || grid.numRows <= 0 || !(grid.dx > 0.0) || !(grid.dy > 0.0)
        || !(colors.cellScale() > 0.0)) {
        image.fill(0u);
        return;
    }

    const ColumnTaps columns(mode, xMap, grid, size.width());
    const Palette palette(colors);
    const Job job{&rows, &grid, mode, &colors, &palette, &yMap, &columns, &image};
    if (threads <= 0)
        threads = QThread::idealThreadCount();
    threads = qBound(1, threads, qMax(1, size.height()));
    const int bandHeight = size.height() / threads;
    QList<QFuture<void>> futures;
    for (int i = 0; i < threads - 1; ++i) {
        const int top = i * bandHeight;
        futures.append(
            QtConcurrent::run([&job, top, bandHeight] { renderBand(job, top, top + bandHeight); }));
    }
    renderBand(job, (threads - 1) * bandHeight, size.height());
    for (QFuture<void> &future : futures)
        future.waitForFinished();
}
