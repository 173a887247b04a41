#pragma once

#include "data/RfSpectrumSample.h"

#include <QList>
#include <QVector>

// What the spectrogram shows for a window of samples: for every column (frequency bin) and
// every 1 dB row, the fraction of sweeps whose value lay above the row (density); the "tip"
// cells just below where sweeps ended (1.0 for one sweep, halved for each further one); and
// per column the average and highest value.
//
// All of it follows from how many sweeps of the window had each value at each column. Those
// counts are kept from one window to the next: a window that shares samples with the
// previous one (the live window sliding by a sweep, a pan of the time bar) costs only the
// samples that entered and left, not a walk over every sweep and level of the window.
// Samples are recognised by their timestamp and their shared amplitude data, so a sample
// counts as the same only when it holds the very same values.
class SpectroStatistics
{
public:
    static constexpr int k_levels = 256; // the values of a signed byte
    static constexpr int k_missingValue = -128;

    struct Result
    {
        int numColumns = 0;
        int numRows = 0;
        QVector<double> density; // numRows x numColumns, row r = amplitude yMin + r ... + 1
        QVector<double> tips; // likewise
        QVector<double> average; // per column
        QVector<signed char> max; // per column
        QVector<signed char> current; // the newest sample's values
        int top = -128; // the highest value of the window
    };

    // Brings the counts to this window, from the previous one where they overlap.
    void setWindow(const QList<RfSpectrumSample> &samples);
    // The statistics over amplitude rows yMin ... yMax, one row per dB; no rows when
    // yMax <= yMin.
    Result compute(int yMin, int yMax);

    int numColumns() const { return m_numColumns; }
    int sampleCount() const { return m_window.size(); }

    // How the last setWindow() got there: samples counted in and out, or from scratch.
    struct Update
    {
        bool rebuilt = false;
        int added = 0;
        int removed = 0;
    };
    Update lastUpdate() const { return m_lastUpdate; }

private:
    static bool sameSample(const RfSpectrumSample &a, const RfSpectrumSample &b);
    void rebuild(const QList<RfSpectrumSample> &samples);
    void count(const RfSpectrumSample &sample, int delta);
    bool updateFrom(const QList<RfSpectrumSample> &samples);

    QList<RfSpectrumSample> m_window;
    int m_numColumns = 0;
    // k_levels x numColumns: sweeps of the window with value (level - 128) at the column.
    QVector<qint32> m_counts;
    QVector<qint64> m_sums;
    QVector<signed char> m_max;
    Update m_lastUpdate;
    // Two sets of result matrices, used in turn: the rasters hold the last one, the other is
    // free again by the next computation and is filled in place.
    QVector<double> m_density[2];
    QVector<double> m_tips[2];
    int m_nextBuffer = 0;
};
