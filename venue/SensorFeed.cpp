#include "SensorFeed.h"

#include <algorithm>

void SensorFeed::startAt(quint64 seq)
{
    m_started = true;
    m_next = seq;
}

SweepBatch SensorFeed::slice(const SweepBatch &batch, quint64 from, quint64 to)
{
    from = std::max(from, batch.firstSeq);
    to = std::min(to, batch.endSeq());
    SweepBatch part;
    part.band = batch.band;
    part.firstSeq = from;
    if (from >= to)
        return part;
    const int first = int(from - batch.firstSeq);
    const int count = int(to - from);
    part.timestamps = batch.timestamps.mid(first, count);
    part.values = batch.values.mid(first * batch.band.steps, count * batch.band.steps);
    return part;
}

QList<SweepBatch> SensorFeed::take(const SweepBatch &batch, qint64 nowMs, int *repeats)
{
    if (batch.isEmpty())
        return {};
    if (!m_started)
        startAt(batch.firstSeq);
    const quint64 end = batch.endSeq();
    int dropped = int(std::min(end, m_next) - std::min(batch.firstSeq, m_next));
    const SweepBatch fresh = slice(batch, m_next, end);
    if (!fresh.isEmpty()) {
        // A batch that waits already (a repeat of one ahead of the gap) is not kept twice.
        auto waiting = m_waiting.find(fresh.firstSeq);
        if (waiting != m_waiting.end() && waiting->endSeq() >= fresh.endSeq()) {
            dropped += fresh.count();
        } else {
            if (m_waiting.isEmpty() && fresh.firstSeq > m_next)
                m_gapSinceMs = nowMs;
            m_waiting.insert(fresh.firstSeq, fresh);
        }
    }
    if (repeats)
        *repeats = dropped;
    return release();
}

QList<SweepBatch> SensorFeed::release()
{
    QList<SweepBatch> ready;
    while (!m_waiting.isEmpty() && m_waiting.firstKey() <= m_next) {
        const SweepBatch first = m_waiting.take(m_waiting.firstKey());
        const SweepBatch run = slice(first, m_next, first.endSeq());
        if (run.isEmpty())
            continue;
        // Consecutive runs of one band go out as one.
        if (!ready.isEmpty() && ready.last().band == run.band
            && ready.last().endSeq() == run.firstSeq) {
            ready.last().timestamps += run.timestamps;
            ready.last().values += run.values;
        } else {
            ready.append(run);
        }
        m_next = run.endSeq();
    }
    return ready;
}

bool SensorFeed::gap(Range *missing) const
{
    if (m_waiting.isEmpty())
        return false;
    *missing = {m_next, m_waiting.firstKey()};
    return true;
}

int SensorFeed::waiting() const
{
    int count = 0;
    for (const SweepBatch &batch : m_waiting)
        count += batch.count();
    return count;
}

QList<SweepBatch> SensorFeed::expire(qint64 nowMs, quint64 firstKept, quint64 *skipped)
{
    *skipped = 0;
    if (m_waiting.isEmpty())
        return {};
    const quint64 resume = m_waiting.firstKey();
    quint64 to = m_next;
    if (firstKept > m_next)
        to = std::min(firstKept, resume); // what the sensor no longer keeps will not come
    else if (nowMs - m_gapSinceMs >= k_gapWaitMs)
        to = resume; // waited long enough
    if (to == m_next)
        return {};
    *skipped = to - m_next;
    m_next = to;
    QList<SweepBatch> ready = release();
    if (!m_waiting.isEmpty())
        m_gapSinceMs = nowMs;
    return ready;
}
