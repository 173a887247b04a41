#pragma once

#include "sensor/SweepBatch.h"

#include <QList>
#include <QMap>

// One sensor's sweeps put in the order of their numbers, each delivered once. Sweeps that
// arrive ahead of one still missing (a viewer that lost its connection, a replay still on its
// way) wait behind the gap; the gap is asked for again, and given up once the sensor no longer
// keeps those numbers or it has waited k_gapWaitMs. Sweeps numbered below what was delivered
// are repeats and are dropped.
class SensorFeed
{
public:
    static constexpr qint64 k_gapWaitMs = 15000;

    // Numbers [from, to).
    struct Range
    {
        quint64 from = 0;
        quint64 to = 0;
        bool operator==(const Range &other) const { return from == other.from && to == other.to; }
    };

    // The first number to deliver; until set, the feed starts at the first number it is given.
    void startAt(quint64 seq);
    bool isStarted() const { return m_started; }
    quint64 next() const { return m_next; }

    // Takes a message's sweeps; returns what is now ready, in order, as runs of consecutive
    // numbers. *repeats counts the sweeps dropped as already delivered.
    QList<SweepBatch> take(const SweepBatch &batch, qint64 nowMs, int *repeats = nullptr);
    // The numbers missing before the sweeps that wait, if any wait.
    bool gap(Range *missing) const;
    // Gives up on the gap when it has waited too long or lies before `firstKept` (the oldest
    // number the sensor still keeps): returns the runs released; *skipped counts the numbers
    // given up.
    QList<SweepBatch> expire(qint64 nowMs, quint64 firstKept, quint64 *skipped);
    // Sweeps waiting behind a gap.
    int waiting() const;

    // Sweeps [from, to) of a batch (numbers, clamped to it).
    static SweepBatch slice(const SweepBatch &batch, quint64 from, quint64 to);

private:
    QList<SweepBatch> release();

    bool m_started = false;
    quint64 m_next = 0;
    QMap<quint64, SweepBatch> m_waiting;
    qint64 m_gapSinceMs = 0;
};
