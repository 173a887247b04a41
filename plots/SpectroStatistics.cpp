#include "SpectroStatistics.h"

#include <algorithm>
#include <cmath>

bool SpectroStatistics::sameSample(const RfSpectrumSample &a, const RfSpectrumSample &b)
{
    return a.timestamp == b.timestamp && a.scan.size() == b.scan.size()
        && a.scan.constData() == b.scan.constData();
}

void SpectroStatistics::setWindow(const QList<RfSpectrumSample> &samples)
{
    const int numColumns = samples.isEmpty() ? 0 : samples.first().scan.size();
    if (numColumns != m_numColumns || m_window.isEmpty() || !updateFrom(samples))
        rebuild(samples);
    m_window = samples;
}

void SpectroStatistics::rebuild(const QList<RfSpectrumSample> &samples)
{
    m_numColumns = samples.isEmpty() ? 0 : samples.first().scan.size();
    m_counts.fill(0, k_levels * m_numColumns);
    m_sums.fill(0, m_numColumns);
    m_max.fill(k_missingValue, m_numColumns);
    for (const RfSpectrumSample &sample : samples)
        count(sample, +1);
    m_lastUpdate = {true, int(samples.size()), 0};
}

// Finds the new window inside the old one or the old inside the new, and counts only the
// difference. Returns false when the two do not line up that way, or when the difference
// costs more than counting the new window from scratch.
bool SpectroStatistics::updateFrom(const QList<RfSpectrumSample> &samples)
{
    const int oldSize = m_window.size();
    const int newSize = samples.size();
    QList<int> removed; // indices into m_window
    QList<int> added; // indices into samples

    int start = -1;
    for (int i = 0; i < oldSize && start < 0; ++i) {
        if (sameSample(m_window.at(i), samples.first()))
            start = i;
    }
    if (start >= 0) {
        // The new window begins inside the old one.
        int shared = 0;
        while (shared < newSize && start + shared < oldSize
               && sameSample(samples.at(shared), m_window.at(start + shared)))
            ++shared;
        if (start + shared < oldSize && shared < newSize)
            return false;
        for (int i = 0; i < start; ++i)
            removed.append(i);
        for (int i = start + shared; i < oldSize; ++i)
            removed.append(i);
        for (int i = shared; i < newSize; ++i)
            added.append(i);
    } else {
        // The old window begins inside the new one (the view moved back or grew).
        for (int i = 0; i < newSize && start < 0; ++i) {
            if (sameSample(samples.at(i), m_window.constFirst()))
                start = i;
        }
        if (start < 0)
            return false;
        int shared = 0;
        while (shared < oldSize && start + shared < newSize
               && sameSample(m_window.at(shared), samples.at(start + shared)))
            ++shared;
        if (start + shared < newSize && shared < oldSize)
            return false;
        for (int i = shared; i < oldSize; ++i)
            removed.append(i);
        for (int i = 0; i < start; ++i)
            added.append(i);
        for (int i = start + shared; i < newSize; ++i)
            added.append(i);
    }
    if (removed.size() + added.size() > newSize)
        return false;

    for (int i : added)
        count(samples.at(i), +1);
    for (int i : removed)
        count(m_window.at(i), -1);
    m_lastUpdate = {false, int(added.size()), int(removed.size())};
    return true;
}

void SpectroStatistics::count(const RfSpectrumSample &sample, int delta)
{
    const int n = m_numColumns;
    const int valid = qMin(sample.scan.size(), n);
    const qint8 *values = sample.scan.constData();
    qint32 *counts = m_counts.data();
    qint64 *sums = m_sums.data();
    signed char *max = m_max.data();
    for (int col = 0; col < n; ++col) {
        // A sample shorter than the window's first has no signal where it has no value.
        const int v = col < valid ? values[col] : k_missingValue;
        qint32 &c = counts[(v - k_missingValue) * n + col];
        c += delta;
        sums[col] += delta * v;
        if (delta > 0) {
            if (v > max[col])
                max[col] = static_cast<signed char>(v);
        } else if (c == 0 && v == max[col]) {
            int level = v - k_missingValue;
            while (level > 0 && counts[level * n + col] == 0)
                --level;
            max[col] = static_cast<signed char>(level + k_missingValue);
        }
    }
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
    const int n = m_numColumns;
    const int m = m_window.size();
    const int h = yMax - yMin;
    result.numColumns = n;
    result.max = m_max;
    if (!m_window.isEmpty())
        result.current = m_window.constLast().scan;
    result.average.resize(n);
    for (int col = 0; col < n; ++col)
        result.average[col] = m > 0 ? double(m_sums.at(col)) / m : 0.0;
    for (signed char v : m_max)
        result.top = qMax(result.top, int(v));
    if (h <= 0 || n <= 0 || m <= 0)
        return result;

    result.numRows = h;
    QVector<double> &density = m_density[m_nextBuffer];
    QVector<double> &tips = m_tips[m_nextBuffer];
    m_nextBuffer = 1 - m_nextBuffer;
    refill(density, h * n, 0.0);
    refill(tips, h * n, 0.0);
    const double w = 1.0 / m;
    const qint32 *counts = m_counts.constData();
    const auto levelRow = [&](int value) -> const qint32 * {
        if (value < k_missingValue || value >= k_missingValue + k_levels)
            return nullptr;
        return counts + (value - k_missingValue) * n;
    };

    // A value v fills k = h - |v - yMax| rows from the bottom: v - yMin rows up to the top of
    // the scale, fewer again above it. Row r counts the sweeps with k > r; summing the
    // counts from the top row down gives every row in one pass.
    QVector<qint64> above(n, 0);
    for (int row = h - 1; row >= 0; --row) {
        const int k = row + 1;
        const qint32 *below = levelRow(yMin + k); // values up to the top of the scale
        const qint32 *over = k < h ? levelRow(yMax + h - k) : nullptr; // values above it
        double *out = density.data() + row * n;
        for (int col = 0; col < n; ++col) {
            above[col] += (below ? below[col] : 0) + (over ? over[col] : 0);
            out[col] = above.at(col) * w;
        }
    }

    // The tip of a value inside the scale is the cell just below it: 1.0 for one sweep,
    // halved for each further one, down to 0 (where it stays).
    for (int value = qMax(yMin + 1, int(k_missingValue)); value < yMax; ++value) {
        const qint32 *hits = levelRow(value);
        if (!hits)
            break;
        double *out = tips.data() + (value - yMin - 1) * n;
        for (int col = 0; col < n; ++col) {
            if (hits[col] > 0)
                out[col] = tipValue(hits[col]);
        }
    }
    result.density = density;
    result.tips = tips;
    return result;
}
