#pragma once

#include "data/SampleStore.h"

#include <QVector>

// What the spectrogram shows for a window of sweeps: for every column (frequency bin) and
// every 1 dB row, the fraction of sweeps whose value lay above the row (density); the "tip"
// cells just below where sweeps ended (1.0 for one sweep, halved for each further one); and
// per column the average and highest value. Gap-filler sweeps (every value -128, written
// while the other band was swept) count in none of them; the average of a column without
// any other sweep is -128.
//
// All of it follows from how many sweeps of the window had each value at each column. Those
// counts are kept from one window to the next: a window of the same store that overlaps the
// previous one (the live window sliding by a sweep, a pan of the time bar) costs only the
// sweeps that entered and left; any other window is counted from the store's block summaries
// and its partial ends, so a window of hours costs about as much as one of minutes.
class SpectroStatistics
{
public:
    static constexpr int k_levels = SampleStore::k_levels;
    static constexpr int k_missingValue = SampleStore::k_missingValue;

    struct Result
    {
        int numColumns = 0;
        int numRows = 0;
        QVector<double> density; // numRows x numColumns, row r = amplitude yMin + r ... + 1
        QVector<double> tips; // likewise
        QVector<double> average; // per column
        QVector<signed char> max; // per column
        QVector<signed char> current; // the newest sweep's values
        int top = -128; // the highest value of the window
    };

    // Brings the counts to sweeps [first, last) of the store, from the previous window where
    // they overlap. The store must stay until the next window is set.
    void setWindow(const SampleStore &store, int first, int last);
    // The statistics over amplitude rows yMin ... yMax, one row per dB; no rows when
    // yMax <= yMin.
    Result compute(int yMin, int yMax);

    int numColumns() const { return m_counts.columns; }
    int sampleCount() const { return m_last - m_first; }
    const SampleStore::Counts &counts() const { return m_counts; }

    // How the last setWindow() got there: sweeps counted in and out, or from scratch.
    struct Update
    {
        bool rebuilt = false;
        int added = 0;
        int removed = 0;
    };
    Update lastUpdate() const { return m_lastUpdate; }

private:
    const SampleStore *m_store = nullptr;
    int m_first = 0;
    int m_last = 0;
    // The window's sweeps as stored: whether they are still the same sweeps.
    QVector<quint64> m_serials;
    SampleStore::Counts m_counts;
    Update m_lastUpdate;
    // Two sets of result matrices, used in turn: the rasters hold the last one, the other is
    // free again by the next computation and is filled in place.
    QVector<double> m_density[2];
    QVector<double> m_tips[2];
    int m_nextBuffer = 0;
};
