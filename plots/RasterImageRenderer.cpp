#include "RasterImageRenderer.h"

#include "ColorLookup.h"
#include "RasterInterpolation.h"

#include <QFuture>
#include <QThread>
#include <QtConcurrent>
#include <algorithm>
#include <cmath>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <limits>
#include <memory>
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
    // A canvas of no height (or width) maps its pixels to no number: nothing is there.
    if (!std::isfinite(pos) || !interval.contains(pos)) {
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

    // Interpolates one row of cells F (numColumns values) along x into out[from, to).
    template<typename Out>
    void apply(Interpolation mode, const double *f, Out *out, int from, int to) const
    {
        const int *ta = a.data(), *tb = b.data(), *tc = c.data(), *td = d.data();
        const double *xa = wa.data(), *xb = wb.data(), *xc = wc.data(), *xd = wd.data();
        if (mode == Interpolation::Bilinear) {
            for (int x = from; x < to; ++x)
                out[x] = Out(xb[x] * f[tb[x]] + xc[x] * f[tc[x]]);
        } else {
            for (int x = from; x < to; ++x)
                out[x] = Out(xa[x] * f[ta[x]] + xb[x] * f[tb[x]] + xc[x] * f[tc[x]]
                             + xd[x] * f[td[x]]);
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

// One layer's part of rendering a band of image rows: its buffers, and its matrix rows in
// table cells.
class LayerRows
{
public:
    LayerRows(const RasterImageRenderer::Layer &layer, const ColumnTaps &columns,
              const Palette &palette, const QwtScaleMap &yMap, int width, int height)
        : m_layer(layer)
        , m_columns(columns)
        , m_palette(palette)
        , m_yMap(yMap)
        , m_n(layer.grid.numColumns)
        , m_width(width)
        , m_min(layer.colors->min())
        , m_scale(layer.colors->cellScale())
        , m_values(size_t(width))
        , m_index(size_t(width))
        , m_cells(size_t(m_n))
        , m_rowScratch(size_t(m_n))
        // With more image rows than matrix rows, interpolate each matrix row along x once and
        // every image row only between those; otherwise interpolate the matrix rows into one
        // row of cells for each image row and that along x.
        , m_columnsFirst(2 * layer.grid.numRows < height)
    {
        if (m_columnsFirst) {
            m_cache.assign(k_cacheSlots * size_t(m_width), 0.0f);
            m_cacheTag.assign(k_cacheSlots, -1);
            m_cacheNaN.assign(k_cacheSlots, false);
        }
    }

    // Image row y into line.
    void render(int y, QRgb *line)
    {
        const Grid &grid = m_layer.grid;
        const Tap row
            = makeTap(m_layer.mode, m_yMap.invTransform(y), grid.y, grid.dy, grid.numRows);
        if (row.outside(grid.numRows)) {
            std::fill(line, line + m_width, 0u);
            return;
        }
        const bool hasNaN = m_columnsFirst ? rowFromColumns(row) : rowFromCells(row);
        colorRow(line, hasNaN);
    }

private:
    static constexpr size_t k_cacheSlots = 8;

    // One matrix row in table cells; the weights of every interpolation sum to one, so this
    // can come before it. Returns whether a value is NaN.
    bool matrixRowCells(int r, double *out)
    {
        const double *v = m_layer.rows->row(r, m_rowScratch.data());
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
        const bool bilinear = m_layer.mode == Interpolation::Bilinear;
        std::fill(m_cells.begin(), m_cells.end(), 0.0);
        double *cells = m_cells.data();
        for (int i = bilinear ? 1 : 0; i <= (bilinear ? 2 : 3); ++i) {
            const double *v = m_layer.rows->row(taps[i], m_rowScratch.data());
            const double w = weights[i];
            for (int col = 0; col < m_n; ++col)
                cells[col] += w * v[col];
        }
        bool nan = false;
        for (int col = 0; col < m_n; ++col) {
            cells[col] = (cells[col] - m_min) * m_scale;
            nan |= cells[col] != cells[col];
        }
        m_columns.apply(m_layer.mode, cells, m_values.data(), m_columns.begin, m_columns.end);
        return nan;
    }

    // Columns first: the matrix row r interpolated along x, kept for the image rows that
    // need it again.
    const float *columnRow(int r, bool *nan)
    {
        const size_t slot = size_t(r) % k_cacheSlots;
        float *out = m_cache.data() + slot * size_t(m_width);
        if (m_cacheTag[slot] != r) {
            m_cacheTag[slot] = r;
            m_cacheNaN[slot] = matrixRowCells(r, m_cells.data());
            m_columns.apply(m_layer.mode, m_cells.data(), out, m_columns.begin, m_columns.end);
        }
        *nan = *nan || m_cacheNaN[slot];
        return out;
    }

    bool rowFromColumns(const Tap &row)
    {
        bool nan = false;
        const int begin = m_columns.begin;
        const int end = m_columns.end;
        float *v = m_values.data();
        if (m_layer.mode == Interpolation::Bilinear) {
            const float *xb = columnRow(row.b, &nan);
            const float *xc = columnRow(row.c, &nan);
            const float wb = float(row.wb), wc = float(row.wc);
            for (int x = begin; x < end; ++x)
                v[x] = wb * xb[x] + wc * xc[x];
        } else {
            const float *xa = columnRow(row.a, &nan);
            const float *xb = columnRow(row.b, &nan);
            const float *xc = columnRow(row.c, &nan);
            const float *xd = columnRow(row.d, &nan);
            const float wa = float(row.wa), wb = float(row.wb), wc = float(row.wc),
                        wd = float(row.wd);
            for (int x = begin; x < end; ++x)
                v[x] = wa * xa[x] + wb * xb[x] + wc * xc[x] + wd * xd[x];
        }
        return nan;
    }

    // The values of the row, in table cells, to colours.
    void colorRow(QRgb *line, bool hasNaN)
    {
        const int begin = m_columns.begin;
        const int end = m_columns.end;
        std::fill(line, line + begin, 0u);
        std::fill(line + end, line + m_width, 0u);
        const float *v = m_values.data();
        int *index = m_index.data();
        constexpr float top = Palette::k_cells;
        for (int x = begin; x < end; ++x) {
            const int cell = int(std::min(std::max(v[x], 0.0f), top)) + 1;
            index[x] = v[x] > 0.0f ? cell : 0;
        }
        const QRgb *colors = m_palette.colors.data();
        for (int x = begin; x < end; ++x) {
            const QRgb color = colors[index[x]];
            line[x] = Q_LIKELY(color != Palette::k_exactMark)
                ? color
                : m_layer.colors->exactAtCell(double(v[x]));
        }
        if (Q_UNLIKELY(hasNaN)) {
            for (int x = begin; x < end; ++x) {
                if (v[x] != v[x])
                    line[x] = 0u; // a NaN value is transparent
            }
        }
    }

    const RasterImageRenderer::Layer &m_layer;
    const ColumnTaps &m_columns;
    const Palette &m_palette;
    const QwtScaleMap &m_yMap;
    const int m_n;
    const int m_width;
    const double m_min;
    const double m_scale;
    // The image row's values in table cells. Single precision is plenty for picking one of
    // the table's cells and halves the memory the pixel loops stream through.
    std::vector<float> m_values;
    std::vector<int> m_index;
    std::vector<double> m_cells;
    std::vector<double> m_rowScratch;
    const bool m_columnsFirst;
    std::vector<float> m_cache;
    std::vector<int> m_cacheTag;
    std::vector<bool> m_cacheNaN;
};

// The framework's division by 255 of its composition modes.
inline uint div255(uint x)
{
    return (x + (x >> 8) + 0x80) >> 8;
}

// Multiply mode of s over p drawn over black, as one colour (see render()): per channel
// (s c * p c + p c * (255 - s alpha)) / 255 = p c * (s c + 255 - s alpha) / 255, alpha p's.
// The product stays below 65536, so eight channels go at once in 16-bit lanes.
void multiplyLine(QRgb *line, const QRgb *over, int width)
{
    int x = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i all = _mm_set1_epi16(255);
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i alphaMask
        = _mm_set_epi32(int(0xff000000), int(0xff000000), int(0xff000000), int(0xff000000));
    for (; x + 4 <= width; x += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i *>(line + x));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i *>(over + x));
        __m128i result[2];
        for (int h = 0; h < 2; ++h) {
            const __m128i p16 = h == 0 ? _mm_unpacklo_epi8(p, zero) : _mm_unpackhi_epi8(p, zero);
            const __m128i s16 = h == 0 ? _mm_unpacklo_epi8(s, zero) : _mm_unpackhi_epi8(s, zero);
            // Each pixel's alpha (lane 3 of its four) into all four lanes.
            const __m128i sa = _mm_shufflehi_epi16(
                _mm_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
            const __m128i factor = _mm_add_epi16(s16, _mm_sub_epi16(all, sa));
            const __m128i product = _mm_mullo_epi16(p16, factor);
            result[h] = _mm_srli_epi16(
                _mm_add_epi16(_mm_add_epi16(product, _mm_srli_epi16(product, 8)), half), 8);
        }
        const __m128i packed = _mm_packus_epi16(result[0], result[1]);
        // Alpha from p.
        const __m128i out
            = _mm_or_si128(_mm_andnot_si128(alphaMask, packed), _mm_and_si128(alphaMask, p));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(line + x), out);
    }
#endif
    for (; x < width; ++x) {
        const QRgb p = line[x];
        const QRgb s = over[x];
        const uint keep = 255 - qAlpha(s);
        line[x] = qRgba(int(div255(qRed(p) * (qRed(s) + keep))),
                        int(div255(qGreen(p) * (qGreen(s) + keep))),
                        int(div255(qBlue(p) * (qBlue(s) + keep))), qAlpha(p));
    }
}

struct Job
{
    const RasterImageRenderer::Layer *layer;
    const RasterImageRenderer::Layer *multiplied;
    const ColumnTaps *columns[2];
    const Palette *palettes[2];
    const QwtScaleMap *yMap;
    QImage *image;
};

void renderBand(const Job &job, int top, int bottom)
{
    const int width = job.image->width();
    const int height = job.image->height();
    LayerRows layer(*job.layer, *job.columns[0], *job.palettes[0], *job.yMap, width, height);
    std::unique_ptr<LayerRows> over;
    std::vector<QRgb> overLine;
    if (job.multiplied) {
        over = std::make_unique<LayerRows>(*job.multiplied, *job.columns[1], *job.palettes[1],
                                           *job.yMap, width, height);
        overLine.resize(size_t(width));
    }
    for (int y = top; y < bottom; ++y) {
        auto *line = reinterpret_cast<QRgb *>(job.image->scanLine(y));
        layer.render(y, line);
        if (over) {
            // Over a transparent row the product stays transparent: nothing to multiply.
            QRgb any = 0;
            for (int x = 0; x < width; ++x)
                any |= line[x];
            if (any == 0)
                continue;
            over->render(y, overLine.data());
            multiplyLine(line, overLine.data(), width);
        }
    }
}

} // namespace

namespace {

bool drawable(const RasterImageRenderer::Layer &layer)
{
    const RasterImageRenderer::Grid &grid = layer.grid;
    return grid.numColumns > 0 && grid.numRows > 0 && grid.dx > 0.0 && grid.dy > 0.0
        && layer.colors->cellScale() > 0.0;
}

// A layer with nothing to show, as a transparent one.
class EmptyRows : public RasterImageRenderer::Rows
{
public:
    const double *row(int, double *) const override { return &m_nan; }

private:
    const double m_nan = std::numeric_limits<double>::quiet_NaN();
};

} // namespace

void RasterImageRenderer::render(const Layer &layer, const Layer *multiplied,
                                 const QwtScaleMap &xMap, const QwtScaleMap &yMap, QImage &image,
                                 int threads)
{
    const QSize size = image.size();
    if (image.isNull())
        return;
    // Without cells, with a zero cell size or a value range of no width, a layer shows
    // nothing.
    if (!drawable(layer)) {
        image.fill(0u);
        return;
    }
    Layer over;
    const EmptyRows empty;
    if (multiplied) {
        over = *multiplied;
        if (!drawable(over)) {
            // Transparent everywhere: one NaN cell.
            over.rows = &empty;
            over.grid.numColumns = over.grid.numRows = 1;
            over.grid.dx = over.grid.dy = 1.0;
            over.grid.x = over.grid.y = QwtInterval();
        }
    }

    const ColumnTaps columns(layer.mode, xMap, layer.grid, size.width());
    const Palette palette(*layer.colors);
    std::unique_ptr<ColumnTaps> overColumns;
    std::unique_ptr<Palette> overPalette;
    if (multiplied) {
        overColumns = std::make_unique<ColumnTaps>(over.mode, xMap, over.grid, size.width());
        overPalette = std::make_unique<Palette>(*over.colors);
    }
    const Job job{&layer,
                  multiplied ? &over : nullptr,
                  {&columns, overColumns.get()},
                  {&palette, overPalette.get()},
                  &yMap,
                  &image};
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
