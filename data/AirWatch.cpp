#include "AirWatch.h"

#include <algorithm>

AirWatch::AirWatch(const FrequencyAxis &axis, int columns)
    : m_axis(axis)
    , m_columns(columns)
{ }

void AirWatch::Range::restart()
{
    stretch.clear();
    busy = 0;
    observedSince = -1;
    belowSince = -1;
    share = 0.0;
}

void AirWatch::setSettings(const Settings &settings)
{
    m_settings = settings;
    m_settings.stretchMs = qMax<qint64>(1, settings.stretchMs);
    m_rule = BusyRule(settings.thresholdDbm);
    for (Range &range : m_ranges)
        range.restart();
}

bool AirWatch::addRange(const QString &key, double lowerMHz, double upperMHz)
{
    const auto [first, last]
        = m_axis.stepsWithin(qMin(lowerMHz, upperMHz), qMax(lowerMHz, upperMHz), m_columns);
    m_ranges.remove(key);
    if (last < first)
        return false;
    Range range;
    range.first = first;
    range.last = last;
    m_ranges.insert(key, range);
    return true;
}

void AirWatch::removeRange(const QString &key)
{
    m_ranges.remove(key);
}

std::pair<int, int> AirWatch::columnsOf(const QString &key) const
{
    const auto it = m_ranges.constFind(key);
    return it == m_ranges.constEnd() ? std::pair<int, int>(0, -1)
                                     : std::pair<int, int>(it->first, it->last);
}

bool AirWatch::isAlerting(const QString &key) const
{
    const auto it = m_ranges.constFind(key);
    return it != m_ranges.constEnd() && it->alerting;
}

double AirWatch::share(const QString &key) const
{
    const auto it = m_ranges.constFind(key);
    return it == m_ranges.constEnd() ? 0.0 : it->share;
}

void AirWatch::reset()
{
    for (Range &range : m_ranges) {
        range.restart();
        range.alerting = false;
    }
    m_lastSweep = -1;
    m_gap = false;
}

bool AirWatch::paused(qint64 timestamp)
{
    if (m_lastSweep < 0)
        return false;
    const double spacing = double(timestamp - m_lastSweep);
    if (m_gap
        || (spacing > double(k_minPauseMs)
            && (m_spacingMs <= 0.0 || spacing > k_pauseSpacings * m_spacingMs)))
        return true;
    // A slow mean of the spacing: one odd sweep moves it little.
    m_spacingMs = m_spacingMs <= 0.0 ? spacing : m_spacingMs + (spacing - m_spacingMs) / 8.0;
    return false;
}

QList<AirWatch::Change> AirWatch::addSweep(qint64 timestamp, const qint8 *values, int length)
{
    QList<Change> changes;
    if (length != m_columns)
        return changes;
    if (std::all_of(values, values + length, [](qint8 v) { return v == -128; })) {
        m_gap = m_lastSweep >= 0;
        return changes;
    }
    // After a pause what came before says nothing about now: the stretch starts anew, the
    // alerts standing stay until it is covered again.
    const bool pause = paused(timestamp);
    m_gap = false;
    m_lastSweep = timestamp;
    const qint64 stretchMs = m_settings.stretchMs;
    for (auto it = m_ranges.begin(); it != m_ranges.end(); ++it) {
        Range &range = it.value();
        if (pause)
            range.restart();
        if (range.observedSince < 0)
            range.observedSince = timestamp;
        const int busy = m_rule.count(values, range.first, range.last);
        range.stretch.push_back({timestamp, busy});
        range.busy += busy;
        while (timestamp - range.stretch.front().timestamp >= stretchMs) {
            range.busy -= range.stretch.front().busy;
            range.stretch.pop_front();
        }
        const qint64 cells = qint64(range.last - range.first + 1) * qint64(range.stretch.size());
        range.share = double(range.busy) / double(cells);
        Change change;
        if (judge(it.key(), range, timestamp, &change))
            changes.append(change);
    }
    return changes;
}

bool AirWatch::judge(const QString &key, Range &range, qint64 timestamp, Change *change) const
{
    const qint64 stretchMs = m_settings.stretchMs;
    const bool covered = timestamp - range.observedSince >= stretchMs;
    if (!range.alerting) {
        if (!covered || range.share <= m_settings.limit)
            return false;
        range.alerting = true;
        range.belowSince = -1;
    } else {
        if (range.share >= m_settings.limit) {
            range.belowSince = -1;
            return false;
        }
        if (range.belowSince < 0)
            range.belowSince = timestamp;
        if (timestamp - range.belowSince < stretchMs)
            return false;
        range.alerting = false;
    }
    *change = Change{key, range.alerting, range.share, timestamp};
    return true;
}
