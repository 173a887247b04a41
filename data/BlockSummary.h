#pragma once

#include "SampleStore.h"

#include <QByteArray>
#include <QVector>

// The summary a block of a SampleStore keeps of its sweeps, brought up to date sweep by sweep:
// per column the sum of the values and a table of how many sweeps had each value, the count of
// gap fillers, and per group of SampleStore::k_groupSweeps sweeps the highest value of each
// column. The sweeps it counts lie back to back, `columns` values each.
//
// The table starts once the block holds k_tableSweeps sweeps (counting those before one by one
// is cheaper for a short history: a small recording, a journal of a few sweeps). A full block
// keeps the rows of the values above -128 that occur and the row of -128 (no signal) apart.
class BlockSummary
{
public:
    static constexpr int k_tableSweeps = 64;

    explicit BlockSummary(int columns = 0);

    // Forgets everything counted.
    void reset();
    // Counts sweep `index`; `sweeps` holds the block's sweeps up to it.
    void addSweep(int index, const qint8 *sweeps, bool filler);
    // The block is full: only the rows of the values that occur are kept.
    void compact();
    // Whether the table of values is kept (else the sweeps are counted one by one).
    bool hasTable() const { return !m_levels.isEmpty() || !m_missing.isEmpty(); }
    // Adds (sign +1) or takes away (sign -1) the table, the sums and the fillers to counts.
    void addTo(int sign, SampleStore::Counts &counts) const;
    // The highest value of each column of group `group`.
    const qint8 *groupMaxima(int group) const;

    // out = max(out, values), column by column.
    static void raise(qint8 *out, const qint8 *values, int n);

private:
    // Adds one sweep's values to the table of levels.
    void countLevels(const qint8 *stored);

    int m_columns;
    int m_fillers = 0;
    QVector<quint16> m_missing;
    // While the block is open, row (v + 128) counts the sweeps with value v at each column.
    QVector<quint16> m_levels;
    int m_lowLevel = 0;
    int m_highLevel = SampleStore::k_levels - 1;
    QVector<qint64> m_sums;
    QByteArray m_groupMax; // per group of k_groupSweeps sweeps, `columns` values
};
