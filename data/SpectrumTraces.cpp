#include "SpectrumTraces.h"

#include "BusyRule.h"

int SpectrumTraces::thresholdLevel(double dbm)
{
    return BusyRule(dbm).level();
}

qint64 SpectrumTraces::roundedQuotient(qint64 numerator, qint64 denominator)
{
    const qint64 magnitude = numerator < 0 ? -numerator : numerator;
    const qint64 rounded = (2 * magnitude + denominator) / (2 * denominator);
    return numerator < 0 ? -rounded : rounded;
}

SpectrumTraces SpectrumTraces::of(const SampleStore &store, int first, int last, int threshold)
{
    SampleStore::Counts counts;
    counts.reset(store.columns());
    store.accumulate(first, last, +1, counts);
    return fromCounts(counts, store, first, last, threshold);
}

SpectrumTraces SpectrumTraces::fromCounts(const SampleStore::Counts &counts,
                                          const SampleStore &store, int first, int last,
                                          int threshold)
{
    SpectrumTraces traces;
    const int n = counts.columns;
    const qint64 fillers = counts.fillers;
    traces.m_steps = n;
    traces.m_threshold = threshold;
    traces.m_sweeps = counts.sweeps - fillers;
    traces.m_maxHold = counts.maxima();
    traces.m_sums.resize(n);
    traces.m_busy.fill(0, n);
    const int lowest = qMax(threshold, int(SampleStore::k_missingValue));
    for (int j = 0; j < n; ++j) {
        // A filler adds -128 to each sum and one sweep to the -128 level of each step.
        traces.m_sums[j] = counts.sums.at(j) - fillers * SampleStore::k_missingValue;
        qint64 busy = 0;
        for (int v = lowest; v < SampleStore::k_missingValue + SampleStore::k_levels; ++v)
            busy += counts.levels.at((v - SampleStore::k_missingValue) * n + j);
        if (lowest == SampleStore::k_missingValue)
            busy -= fillers;
        traces.m_busy[j] = busy;
    }
    if (traces.m_sweeps > 0) {
        first = qBound(0, first, store.size());
        for (int i = qMin(last, store.size()) - 1; i >= first; --i) {
            if (!store.isGapFiller(i)) {
                traces.m_newestIndex = i;
                const qint8 *values = store.values(i);
                traces.m_newest = QVector<qint8>(values, values + n);
                break;
            }
        }
        for (int i = first; i < qMin(last, store.size()); ++i) {
            if (!store.isGapFiller(i)) {
                traces.m_oldestMs = store.timestamp(i);
                break;
            }
        }
    }
    return traces;
}

int SpectrumTraces::maxHold(int step) const
{
    return m_sweeps > 0 ? m_maxHold.at(step) : k_noLevel;
}

double SpectrumTraces::average(int step) const
{
    return m_sweeps > 0 ? double(m_sums.at(step)) / double(m_sweeps) : double(k_noLevel);
}

qint64 SpectrumTraces::averageTenths(int step) const
{
    return m_sweeps > 0 ? roundedQuotient(m_sums.at(step) * 10, m_sweeps) : k_noLevel * 10;
}

int SpectrumTraces::newest(int step) const
{
    return m_newest.isEmpty() ? k_noLevel : m_newest.at(step);
}

qint64 SpectrumTraces::busySweeps(int step) const
{
    return m_busy.at(step);
}

double SpectrumTraces::busyShare(int step) const
{
    return m_sweeps > 0 ? double(m_busy.at(step)) / double(m_sweeps) : 0.0;
}

double SpectrumTraces::level(Kind kind, int step) const
{
    switch (kind) {
    case Kind::MaxHold:
        return maxHold(step);
    case Kind::Average:
        return average(step);
    case Kind::Newest:
        return newest(step);
    }
    return k_noLevel;
}

QVector<double> SpectrumTraces::trace(Kind kind) const
{
    QVector<double> values(m_steps);
    for (int j = 0; j < m_steps; ++j)
        values[j] = level(kind, j);
    return values;
}
