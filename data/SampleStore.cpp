#include "SampleStore.h"

#include "BlockSummary.h"
#include "MemoryPages.h"

#include <QHash>
#include <QSharedData>
#include <QtConcurrent>
#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

quint64 nextSerial()
{
    static std::atomic<quint64> serial{0};
    return ++serial;
}

bool allMissing(const qint8 *values, int length)
{
    return std::all_of(values, values + length,
                       [](qint8 v) { return v == SampleStore::k_missingValue; });
}

} // namespace

struct SampleStore::Block : QSharedData
{
    // The access points from sweep `first` of the block on, until the next run.
    struct Run
    {
        int first;
        WifiScan accessPoints;
    };

    // A block that is summarised as its sweeps are added, or (`summarizing` false) one filled
    // in bulk and summarised all at once afterwards.
    Block(int columns, bool summarizing)
        : serial(nextSerial())
        , columns(columns)
        , summarized(summarizing)
        , summary(columns)
    {
        // The arrays grow with what the block holds: a short history (a small recording, a
        // journal of a few sweeps) costs its own size, not a whole block's. Filled in bulk,
        // the block takes the size of a whole block of common sweeps at once, and gives back
        // what it did not use once it is summarised.
        if (summarizing) {
            summary.reset();
        } else {
            values.reserve(qMin(k_blockSweeps * columns, k_blockSweeps * 512));
            timestamps.reserve(k_blockSweeps);
            MemoryPages::populate(values.data(), values.capacity());
        }
    }

    // A copy about to be appended to: a new identity.
    Block(const Block &other)
        : QSharedData(other)
        , serial(nextSerial())
        , columns(other.columns)
        , count(other.count)
        , timestamps(other.timestamps)
        , values(other.values)
        , runs(other.runs)
        , odd(other.odd)
        , summarized(other.summarized)
        , summary(other.summary)
    { }

    bool isFull() const { return count == k_blockSweeps; }
    const qint8 *at(int index) const
    {
        return reinterpret_cast<const qint8 *>(values.constData()) + qsizetype(index) * columns;
    }
    bool isGapFiller(int index) const
    {
        const auto own = odd.constFind(index);
        if (own != odd.constEnd())
            return allMissing(reinterpret_cast<const qint8 *>(own->constData()), own->size());
        return allMissing(at(index), columns);
    }
    const Run &runOf(int index) const
    {
        const auto next = std::upper_bound(runs.cbegin(), runs.cend(), index,
                                           [](int i, const Run &run) { return i < run.first; });
        return *(next - 1);
    }

    void add(qint64 timestamp, const qint8 *own, int length, const WifiScan &accessPoints);
    // The summary of every sweep held, from scratch.
    void summarize();
    // Adds (sign +1) or takes away (sign -1) the whole block's summary to counts.
    void addSummary(int sign, Counts &counts) const;
    // Adds or takes away sweeps [from, to) of the block one by one.
    void addSweeps(int from, int to, int sign, Counts &counts) const;

    const quint64 serial;
    const int columns;
    int count = 0;
    QVector<qint64> timestamps;
    QByteArray values; // count x columns
    QVector<Run> runs;
    QHash<int, QByteArray> odd; // the own values of sweeps whose length is not `columns`

    // Whether the summary counts every sweep held (a block filled in bulk is summarised once
    // it is complete).
    bool summarized;
    BlockSummary summary;
    // Filled in bulk: the summary being worked out on another processor once the block is
    // full, while the store goes on filling; completeSummaries() waits for it.
    QFuture<void> pendingSummary;

private:
    void summarizeSweep(int index);
};

void SampleStore::Block::add(qint64 timestamp, const qint8 *own, int length,
                             const WifiScan &accessPoints)
{
    const int n = columns;
    timestamps.append(timestamp);
    const int kept = qMin(length, n);
    values.append(reinterpret_cast<const char *>(own), kept);
    if (kept < n)
        values.append(n - kept, char(k_missingValue));
    if (length != n)
        odd.insert(count, QByteArray(reinterpret_cast<const char *>(own), length));
    // Sweeps of one Wi-Fi scan share its list: mostly a comparison of one pointer.
    if (runs.isEmpty() || runs.constLast().accessPoints != accessPoints)
        runs.append({count, accessPoints});
    ++count;
    if (isFull()) {
        // Grown a step at a time, the arrays may hold spare room: a full block never grows.
        values.squeeze();
        timestamps.squeeze();
    }
    if (!summarized)
        return;
    summarizeSweep(count - 1);
    if (isFull())
        summary.compact();
}

void SampleStore::Block::summarize()
{
    values.squeeze();
    timestamps.squeeze();
    summary.reset();
    for (int index = 0; index < count; ++index)
        summarizeSweep(index);
    if (isFull())
        summary.compact();
    summarized = true;
}

void SampleStore::Block::summarizeSweep(int index)
{
    summary.addSweep(index, at(0), isGapFiller(index));
}

void SampleStore::Block::addSummary(int sign, Counts &counts) const
{
    if (!summary.hasTable()) {
        addSweeps(0, count, sign, counts);
        return;
    }
    summary.addTo(sign, counts);
    counts.sweeps += sign * count;
}

void SampleStore::Block::addSweeps(int from, int to, int sign, Counts &counts) const
{
    const int n = columns;
    qint32 *out = counts.levels.data();
    qint64 *sum = counts.sums.data();
    for (int s = from; s < to; ++s) {
        const qint8 *v = at(s);
        for (int col = 0; col < n; ++col) {
            out[(v[col] - k_missingValue) * n + col] += sign;
            sum[col] += sign * v[col];
        }
        if (isGapFiller(s))
            counts.fillers += sign;
    }
    counts.sweeps += sign * (to - from);
}

void SampleStore::Counts::reset(int n)
{
    columns = n;
    levels.fill(0, k_levels * n);
    sums.fill(0, n);
    sweeps = 0;
    fillers = 0;
}

QVector<qint8> SampleStore::Counts::maxima() const
{
    QVector<qint8> result(columns, qint8(k_missingValue));
    for (int col = 0; col < columns; ++col) {
        for (int level = k_levels - 1; level > 0; --level) {
            if (levels.at(level * columns + col) > 0) {
                result[col] = qint8(level + k_missingValue);
                break;
            }
        }
    }
    return result;
}

bool SampleStore::Counts::operator==(const Counts &other) const
{
    return columns == other.columns && levels == other.levels && sums == other.sums
        && sweeps == other.sweeps && fillers == other.fillers;
}

SampleStore::SampleStore() = default;
SampleStore::SampleStore(const SampleStore &other) = default;
SampleStore &SampleStore::operator=(const SampleStore &other) = default;
SampleStore::~SampleStore() = default;

const SampleStore::Block &SampleStore::blockOf(int i) const
{
    return *m_blocks.at(i / k_blockSweeps);
}

qint64 SampleStore::timestamp(int i) const
{
    return blockOf(i).timestamps.at(i % k_blockSweeps);
}

const qint8 *SampleStore::values(int i) const
{
    return blockOf(i).at(i % k_blockSweeps);
}

int SampleStore::length(int i) const
{
    const Block &block = blockOf(i);
    const auto own = block.odd.constFind(i % k_blockSweeps);
    return own == block.odd.constEnd() ? m_columns : own->size();
}

const char *SampleStore::ownValues(int i, int *length) const
{
    const Block &block = blockOf(i);
    const auto own = block.odd.constFind(i % k_blockSweeps);
    if (own == block.odd.constEnd()) {
        *length = m_columns;
        return reinterpret_cast<const char *>(block.at(i % k_blockSweeps));
    }
    *length = own->size();
    return own->constData();
}

RfSpectrumScan SampleStore::scan(int i) const
{
    int n = 0;
    const char *data = ownValues(i, &n);
    RfSpectrumScan result(n);
    if (n > 0)
        memcpy(result.data(), data, size_t(n));
    return result;
}

const WifiScan &SampleStore::accessPoints(int i) const
{
    return blockOf(i).runOf(i % k_blockSweeps).accessPoints;
}

QList<WifiScan> SampleStore::accessPointRuns() const
{
    QList<WifiScan> result;
    for (const auto &block : m_blocks) {
        for (const Block::Run &run : block->runs) {
            if (result.isEmpty() || result.constLast() != run.accessPoints)
                result.append(run.accessPoints);
        }
    }
    return result;
}

bool SampleStore::isGapFiller(int i) const
{
    return blockOf(i).isGapFiller(i % k_blockSweeps);
}

RfSpectrumSample SampleStore::at(int i) const
{
    return RfSpectrumSample{timestamp(i), scan(i), accessPoints(i)};
}

QList<RfSpectrumSample> SampleStore::toList(int first, int last) const
{
    if (last < 0 || last > m_size)
        last = m_size;
    QList<RfSpectrumSample> result;
    for (int i = qMax(first, 0); i < last; ++i)
        result.append(at(i));
    return result;
}

SampleStore SampleStore::fromList(const QList<RfSpectrumSample> &samples)
{
    SampleStore store;
    for (const RfSpectrumSample &sample : samples)
        store.append(sample);
    return store;
}

SampleStore::Block &SampleStore::openBlock()
{
    if (m_blocks.isEmpty() || m_blocks.constLast()->isFull()) {
        if (m_deferSummaries && !m_blocks.isEmpty()) {
            // A full block never changes again: it is summarised on another processor while
            // the next one fills. The task keeps it alive.
            const QExplicitlySharedDataPointer<Block> full = m_blocks.last();
            full->pendingSummary = QtConcurrent::run([full] { full.data()->summarize(); });
        }
        m_blocks.append(
            QExplicitlySharedDataPointer<Block>(new Block(m_columns, !m_deferSummaries)));
    } else {
        m_blocks.last().detach();
    }
    return *m_blocks.last();
}

void SampleStore::deferSummaries()
{
    m_deferSummaries = true;
}

void SampleStore::completeSummaries()
{
    m_deferSummaries = false;
    for (auto &block : m_blocks) {
        block->pendingSummary.waitForFinished();
        block->pendingSummary = QFuture<void>();
    }
    QVector<Block *> pending;
    for (auto &block : m_blocks) {
        if (!block->summarized) {
            block.detach();
            pending.append(block.data());
        }
    }
    // The blocks apart from each other, on every processor; one is not worth the threads.
    if (pending.size() == 1)
        pending.first()->summarize();
    else
        QtConcurrent::blockingMap(pending, [](Block *block) { block->summarize(); });
}

void SampleStore::append(const RfSpectrumSample &sample)
{
    append(sample.timestamp, sample.scan.constData(), sample.scan.size(), sample.wifiAps);
}

void SampleStore::append(qint64 timestamp, const qint8 *values, int length,
                         const WifiScan &accessPoints)
{
    if (m_size == 0)
        m_columns = length;
    openBlock().add(timestamp, values, length, accessPoints);
    ++m_size;
}

void SampleStore::setNewestAccessPoints(const WifiScan &accessPoints)
{
    if (m_size == 0)
        return;
    m_blocks.last().detach();
    Block &block = *m_blocks.last();
    const int newest = block.count - 1;
    if (block.runs.constLast().first == newest)
        block.runs.last().accessPoints = accessPoints;
    else
        block.runs.append({newest, accessPoints});
}

void SampleStore::clear()
{
    m_blocks.clear();
    m_size = 0;
    m_columns = 0;
}

void SampleStore::accumulate(int first, int last, int sign, Counts &counts) const
{
    first = qBound(0, first, m_size);
    last = qBound(first, last, m_size);
    for (int b = first / k_blockSweeps; b * k_blockSweeps < last; ++b) {
        const Block &block = *m_blocks.at(b);
        const int from = qMax(first - b * k_blockSweeps, 0);
        const int to = qMin(last - b * k_blockSweeps, block.count);
        if (to - from > block.count / 2) {
            // Most of the block: its summary, less what lies outside the stretch.
            block.addSummary(sign, counts);
            block.addSweeps(0, from, -sign, counts);
            block.addSweeps(to, block.count, -sign, counts);
        } else {
            block.addSweeps(from, to, sign, counts);
        }
    }
}

void SampleStore::maxima(int first, int last, qint8 *out) const
{
    const int n = m_columns;
    std::fill(out, out + n, qint8(k_missingValue));
    first = qBound(0, first, m_size);
    last = qBound(first, last, m_size);
    for (int b = first / k_blockSweeps; b * k_blockSweeps < last; ++b) {
        const Block &block = *m_blocks.at(b);
        const int from = qMax(first - b * k_blockSweeps, 0);
        const int to = qMin(last - b * k_blockSweeps, block.count);
        int s = from;
        while (s < to) {
            const int group = s / k_groupSweeps;
            const int groupEnd = qMin((group + 1) * k_groupSweeps, block.count);
            if (s == group * k_groupSweeps && groupEnd <= to) {
                BlockSummary::raise(out, block.summary.groupMaxima(group), n);
                s = groupEnd;
            } else {
                BlockSummary::raise(out, block.at(s), n);
                ++s;
            }
        }
    }
}

QVector<quint64> SampleStore::blockSerials(int first, int last) const
{
    QVector<quint64> serials;
    first = qBound(0, first, m_size);
    last = qBound(first, last, m_size);
    for (int b = first / k_blockSweeps; b * k_blockSweeps < last; ++b)
        serials.append(m_blocks.at(b)->serial);
    return serials;
}

bool SampleStore::operator==(const SampleStore &other) const
{
    if (m_size != other.m_size)
        return false;
    for (int i = 0; i < m_size; ++i) {
        int length = 0;
        int otherLength = 0;
        const char *values = ownValues(i, &length);
        const char *otherValues = other.ownValues(i, &otherLength);
        if (timestamp(i) != other.timestamp(i) || length != otherLength
            || (length > 0 && memcmp(values, otherValues, size_t(length)) != 0)
            || accessPoints(i) != other.accessPoints(i))
            return false;
    }
    return true;
}

int SampleStore::windowStart(int from, qint64 newest, qint64 width) const
{
    // Timestamps never decrease: a binary search.
    int low = from;
    int high = m_size - 1;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (newest - timestamp(middle) > width)
            low = middle + 1;
        else
            high = middle;
    }
    return qMax(low, from);
}
