#include "SpectroStatistics.h"

#include <algorithm>
#include <cmath>

void SpectroStatistics::setWindow(const SampleStore &store, int first, int last)
{
    first = qBound(0, first, store.size());
    last = qBound(first, last, store.size());
    const int oldSize = m_last - m_first;
    const bool overlaps = first < m_last && m_first < last;
    // The same sweeps as counted before, and fewer to count in and out than in the window.
    const int difference = qAbs(first - m_first) + qAbs(last - m_last);
    if (m_store == &store && store.columns() == m_counts.columns && overlaps && oldSize > 0
        && store.blockSerials(m_first, m_last) == m_serials && difference < last - first) {
        if (first < m_first)
            store.accumulate(first, m_first, +1, m_counts);
        else
            store.accumulate(m_first, first, -1, m_counts);
        if (last > m_last)
            store.accumulate(m_last, last, +1, m_counts);
        else
            store.accumulate(last, m_last, -1, m_counts);
        m_lastUpdate = {false, qMax(m_first - first, 0) + qMax(last - m_last, 0),
                        qMax(first - m_first, 0) + qMax(m_last - last, 0)};
    } else {
        m_counts.reset(store.columns());
        store.accumulate(first, last, +1, m_counts);
        m_lastUpdate = {true, last - first, 0};
    }
    m_store = &store;
    m_first = first;
    m_last = last;
    m_serials = store.blockSerials(first, last);
}

namespace {

// 2^(1 - c): the tip of a cell where c sweeps ended (halved for each one after the first);
// 0 once it underflows.
double tipValue(qint32 c)
{
    static const QVector<double> table = [] {
        QVector<double> t;
        for (int hits = 0;; ++hits) {
            const double v = hits == 0 ? 0.0 : std::ldexp(1.0, 1 - hits);
            if (hits > 0 && v == 0.0)
                break;
            t.append(v);
        }
        return t;
    }();
    return c < table.size() ? table.at(c) : 0.0;
}

// The vector filled with value, reusing its storage when nothing else shares it.
void refill(QVector<double> &vector, int size, double value)
{
    if (vector.size() != size || !vector.isDetached())
        vector = QVector<double>(size, value);
    else
        std::fill(vector.begin(), vector.end(), value);
}

} // namespace

SpectroStatistics::Result SpectroStatistics::compute(int yMin, int yMax)
{
    Result result;
    const int n = m_counts.columns;
    // Gap fillers (every value -128, written while the other band was swept) are no
    // measurement of this band: they count neither in the average nor in the density.
    const qint64 fillers = m_counts.fillers;
    const qint64 m = m_last - m_first - fillers;
    const int h = yMax - yMin;
    result.numColumns = n;
    result.max = m_counts.maxima();
    if (m_last > m_first && m_store) {
        const qint8 *newest = m_store->values(m_last - 1);
        result.current = QVector<signed char>(newest, newest + n);
    }
    result.average.resize(n);
    for (int col = 0; col < n; ++col) {
        const qint64 sum = m_counts.sums.at(col) - fillers * k_missingValue;
        result.average[col] = m > 0 ? double(sum) / double(m) : double(k_missingValue);
    }
    for (signed char v : qAsConst(result.max))
        result.top = qMax(result.top, int(v));
    if (h <= 0 || n <= 0 || m_last <= m_first)
        return result;

    result.numRows = h;
    QVector<double> &density = m_density[m_nextBuffer];
    QVector<double> &tips = m_tips[m_nextBuffer];
    m_nextBuffer = 1 - m_nextBuffer;
    refill(density, h * n, 0.0);
    refill(tips, h * n, 0.0);
    // A window of gap filler alone shows an empty image.
    const double w = m > 0 ? 1.0 / double(m) : 0.0;
    const qint32 *counts = m_counts.levels.constData();
    const auto levelRow = [&](int value) -> const qint32 * {
        if (value < k_missingValue || value >= k_missingValue + k_levels)
            return nullptr;
        return counts + (value - k_missingValue) * n;
    };
    // The fillers among the counts of a value (they are all at -128).
    const auto fillersAt = [&](int value) { return value == k_missingValue ? fillers : 0; };

    // A value v fills k = h - |v - yMax| rows from the bottom: v - yMin rows up to the top of
    // the scale, fewer again above it. Row r counts the sweeps with k > r; summing the
    // counts from the top row down gives every row in one pass.
    QVector<qint64> above(n, 0);
    for (int row = h - 1; row >= 0; --row) {
        const int k = row + 1;
        const qint32 *below = levelRow(yMin + k); // values up to the top of the scale
        const qint32 *over = k < h ? levelRow(yMax + h - k) : nullptr; // values above it
        const qint64 notCounted
            = (below ? fillersAt(yMin + k) : 0) + (over ? fillersAt(yMax + h - k) : 0);
        double *out = density.data() + row * n;
        for (int col = 0; col < n; ++col) {
            above[col] += (below ? below[col] : 0) + (over ? over[col] : 0) - notCounted;
            out[col] = double(above.at(col)) * w;
        }
    }

    // The tip of a value inside the scale is the cell just below it: 1.0 for one sweep,
    // halved for each further one, down to 0 (where it stays).
    for (int value = qMax(yMin + 1, int(k_missingValue)); value < yMax; ++value) {
        const qint32 *hits = levelRow(value);
        if (!hits)
            break;
        const qint64 notCounted = fillersAt(value);
        double *out = tips.data() + (value - yMin - 1) * n;
        for (int col = 0; col < n; ++col) {
            if (hits[col] - notCounted > 0)
                out[col] = tipValue(qint32(hits[col] - notCounted));
        }
    }
    result.density = density;
    result.tips = tips;
    return result;
}
