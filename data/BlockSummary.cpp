#include "BlockSummary.h"

#include <algorithm>

namespace {

constexpr int k_missingValue = SampleStore::k_missingValue;
constexpr int k_levels = SampleStore::k_levels;

} // namespace

BlockSummary::BlockSummary(int columns)
    : m_columns(columns)
{ }

// In runs of a fixed length, so that the compiler turns them into vector instructions at the
// optimisation level the program is built with.
void BlockSummary::raise(qint8 *out, const qint8 *values, int n)
{
    constexpr int k_run = 32;
    int col = 0;
    for (; col + k_run <= n; col += k_run) {
        for (int k = 0; k < k_run; ++k)
            out[col + k] = std::max(out[col + k], values[col + k]);
    }
    for (; col < n; ++col)
        out[col] = std::max(out[col], values[col]);
}

void BlockSummary::reset()
{
    m_fillers = 0;
    m_missing.clear();
    m_levels.clear();
    m_lowLevel = 0;
    m_highLevel = k_levels - 1;
    m_sums.fill(0, m_columns);
    m_groupMax.clear();
}

void BlockSummary::addSweep(int index, const qint8 *sweeps, bool filler)
{
    const int n = m_columns;
    if (filler)
        ++m_fillers;
    const qint8 *stored = sweeps + qsizetype(index) * n;
    if (index % SampleStore::k_groupSweeps == 0) {
        m_groupMax.append(reinterpret_cast<const char *>(stored), n);
    } else {
        raise(reinterpret_cast<qint8 *>(m_groupMax.data()) + m_groupMax.size() - n, stored, n);
    }
    qint64 *sum = m_sums.data();
    for (int col = 0; col < n; ++col)
        sum[col] += stored[col];
    if (m_levels.isEmpty()) {
        if (index + 1 < k_tableSweeps)
            return;
        // Enough sweeps for the table: it counts those so far, this one included.
        m_levels.fill(0, k_levels * n);
        for (int s = 0; s < index; ++s)
            countLevels(sweeps + qsizetype(s) * n);
    }
    countLevels(stored);
}

void BlockSummary::countLevels(const qint8 *stored)
{
    const int n = m_columns;
    quint16 *rows = m_levels.data();
    for (int col = 0; col < n; ++col)
        ++rows[(stored[col] - k_missingValue) * n + col];
}

void BlockSummary::compact()
{
    const int n = m_columns;
    const auto rowUsed = [&](int level) {
        const quint16 *row = m_levels.constData() + level * n;
        return std::any_of(row, row + n, [](quint16 c) { return c != 0; });
    };
    int low = 1;
    int high = k_levels - 1;
    while (low <= high && !rowUsed(low))
        ++low;
    while (high >= low && !rowUsed(high))
        --high;
    m_missing = m_levels.mid(0, n);
    m_levels = low <= high ? m_levels.mid(low * n, (high - low + 1) * n) : QVector<quint16>();
    m_lowLevel = low;
    m_highLevel = high;
}

void BlockSummary::addTo(int sign, SampleStore::Counts &counts) const
{
    const int n = m_columns;
    qint32 *out = counts.levels.data();
    for (int col = 0; col < m_missing.size(); ++col)
        out[col] += sign * m_missing.at(col);
    for (int level = m_lowLevel; level <= m_highLevel; ++level) {
        const quint16 *row = m_levels.constData() + (level - m_lowLevel) * n;
        qint32 *target = out + level * n;
        for (int col = 0; col < n; ++col)
            target[col] += sign * row[col];
    }
    for (int col = 0; col < n; ++col)
        counts.sums[col] += sign * m_sums.at(col);
    counts.fillers += sign * m_fillers;
}

const qint8 *BlockSummary::groupMaxima(int group) const
{
    return reinterpret_cast<const qint8 *>(m_groupMax.constData()) + qsizetype(group) * m_columns;
}
