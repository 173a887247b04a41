#pragma once

#include "SampleStore.h"

#include <QVector>

// The traces of a stretch of sweeps, one value per frequency step: the highest value (Max
// Hold), the mean (Average), the newest sweep's values, and how many sweeps reached a
// threshold. Gap-filler sweeps (every value -128, written while the other band was swept)
// count in none of them: they are not measurements of this band.
class SpectrumTraces
{
public:
    enum class Kind { MaxHold, Average, Newest };
    // The level of a step where no sweep was counted.
    static constexpr int k_noLevel = SampleStore::k_missingValue;

    SpectrumTraces() = default;
    // From the counts of exactly sweeps [first, last) of the store; `threshold` in whole dBm
    // (a sweep is busy at a step when its value there is at least the threshold).
    static SpectrumTraces fromCounts(const SampleStore::Counts &counts, const SampleStore &store,
                                     int first, int last, int threshold);
    // Counts sweeps [first, last) of the store (from its block summaries) and reads them.
    static SpectrumTraces of(const SampleStore &store, int first, int last, int threshold);
    // The whole-dBm threshold of a threshold in dBm: values at or above it are at or above
    // the given one (BusyRule's, as everywhere busy is counted).
    static int thresholdLevel(double dbm);
    // numerator / denominator rounded to a whole number, halves away from zero (exact);
    // denominator > 0.
    static qint64 roundedQuotient(qint64 numerator, qint64 denominator);

    int steps() const { return m_steps; }
    // The sweeps counted (gap fillers left out).
    qint64 sweeps() const { return m_sweeps; }
    bool isEmpty() const { return m_sweeps == 0; }
    int threshold() const { return m_threshold; }

    int maxHold(int step) const;
    double average(int step) const;
    // The mean in tenths of a dB, rounded half away from zero.
    qint64 averageTenths(int step) const;
    int newest(int step) const;
    // The store index of the newest sweep counted; -1 when none was.
    int newestIndex() const { return m_newestIndex; }
    // When the oldest sweep counted was taken, ms since the epoch; 0 when none was.
    qint64 oldestTimestamp() const { return m_oldestMs; }
    qint64 busySweeps(int step) const;
    // The share of the sweeps counted that reached the threshold, 0 to 1.
    double busyShare(int step) const;

    // One of the traces at a step, and the whole of it; k_noLevel where nothing was counted.
    double level(Kind kind, int step) const;
    QVector<double> trace(Kind kind) const;

private:
    int m_steps = 0;
    qint64 m_sweeps = 0;
    int m_threshold = 0;
    int m_newestIndex = -1;
    qint64 m_oldestMs = 0;
    QVector<qint8> m_maxHold;
    QVector<qint64> m_sums;
    QVector<qint64> m_busy;
    QVector<qint8> m_newest;
};
