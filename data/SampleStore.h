#pragma once

#include "RfSpectrumSample.h"

#include <QExplicitlySharedDataPointer>
#include <QVector>

// The sweeps of a history in compact storage: the values packed one byte each, back to back,
// in blocks of k_blockSweeps sweeps; the timestamps in an array of their own; the access points
// once per Wi-Fi scan, shared by the sweeps that carry it. Readers read in place.
//
// Every block also keeps a summary of its sweeps, kept up to date as sweeps are appended: per
// column, how many sweeps had each value, their sum, and how many sweeps were gap filler; and
// per group of k_groupSweeps sweeps, the highest value of each column. A stretch of any length
// is then counted from whole blocks and groups plus its two partial ends.
//
// A copy shares the blocks. Blocks that are full never change again; the open one (the last)
// is copied when a shared store appends to it. All sweeps are of one length, `columns()`, the
// first sweep's; a sweep of another length (only a damaged or a foreign recording holds one)
// keeps its own values for saving and reads as `columns()` values, cut or padded with -128.
class SampleStore
{
public:
    static constexpr int k_blockSweeps = 8192;
    static constexpr int k_groupSweeps = 128;
    // The value of "no signal", and of every value of a gap-filler sweep.
    static constexpr int k_missingValue = -128;
    // The values of a signed byte.
    static constexpr int k_levels = 256;

    // What a stretch of sweeps held, per column: how many sweeps had each value (level
    // value + 128, major), the sum of the values; and how many sweeps (and gap fillers) there were.
    struct Counts
    {
        int columns = 0;
        QVector<qint32> levels;
        QVector<qint64> sums;
        qint64 sweeps = 0;
        qint64 fillers = 0;

        void reset(int columns);
        // Per column, the highest value counted; -128 where nothing was.
        QVector<qint8> maxima() const;
        bool operator==(const Counts &other) const;
    };

    SampleStore();
    SampleStore(const SampleStore &other);
    SampleStore &operator=(const SampleStore &other);
    ~SampleStore();

    int size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // The values per sweep: the first sweep's count.
    int columns() const { return m_columns; }

    qint64 timestamp(int i) const;
    // The first index from `from` on whose sample is no more than `width` ms older than
    // `newest`, never past the last: the start of the window of that width ending at `newest`.
    int windowStart(int from, qint64 newest, qint64 width) const;
    // Sweep i's `columns()` values, in place.
    const qint8 *values(int i) const;
    // Sweep i's own length, and its own values (as a recording holds them) in place.
    int length(int i) const;
    const char *ownValues(int i, int *length) const;
    RfSpectrumScan scan(int i) const;
    const WifiScan &accessPoints(int i) const;
    // The access-point lists the sweeps carry, in order, each once for the sweeps in a row that
    // carry it.
    QList<WifiScan> accessPointRuns() const;
    // Whether every value of sweep i is -128: padding written while the other band was swept.
    bool isGapFiller(int i) const;
    // Sweep i as a record of its own (a copy).
    RfSpectrumSample at(int i) const;
    // Sweeps [first, last) (to the end when last is -1) as records of their own: for a few.
    QList<RfSpectrumSample> toList(int first = 0, int last = -1) const;
    static SampleStore fromList(const QList<RfSpectrumSample> &samples);

    void append(const RfSpectrumSample &sample);
    SampleStore &operator<<(const RfSpectrumSample &sample)
    {
        append(sample);
        return *this;
    }
    void append(qint64 timestamp, const qint8 *values, int length, const WifiScan &accessPoints);
    // For a store filled in bulk (a recording read): the summaries of the blocks appended from
    // now on are left until completeSummaries(), which works them out on every processor at
    // once. Nothing may read the store in between.
    void deferSummaries();
    void completeSummaries();
    // The newest sweep's access points are replaced (a newer Wi-Fi scan while it is newest).
    void setNewestAccessPoints(const WifiScan &accessPoints);
    void clear();

    // Adds (sign +1) or takes away (sign -1) sweeps [first, last) to or from counts, whose
    // columns must be this store's.
    void accumulate(int first, int last, int sign, Counts &counts) const;
    // Per column the highest value of sweeps [first, last), into out (columns() values);
    // -128 for an empty stretch.
    void maxima(int first, int last, qint8 *out) const;

    // The identities of the blocks that hold sweeps [first, last). A block keeps its identity
    // while it grows; cleared, copied on write or replaced, it has another: what was counted of
    // sweeps with the same identities still holds.
    QVector<quint64> blockSerials(int first, int last) const;

    bool operator==(const SampleStore &other) const;
    bool operator!=(const SampleStore &other) const { return !(*this == other); }

private:
    struct Block;

    Block &openBlock();
    const Block &blockOf(int i) const;

    QVector<QExplicitlySharedDataPointer<Block>> m_blocks;
    int m_size = 0;
    int m_columns = 0;
    bool m_deferSummaries = false;
};
