#include "EventFinder.h"

#include "RfSpectrumHistory.h"

#include <algorithm>
#include <limits>
#include <numeric>

// A finished spell of one frequency step that lasted long enough to be part of an event.
struct EventFinder::Spell
{
    qint64 start;
    qint64 end;
    int peak;
    qint64 busyBefore; // busy sweeps of the step in the minute before
    qint64 sweepsBefore; // sweeps in that minute
    bool seenBefore; // the minute before was covered by sweeps
    bool ongoing;
};

// One frequency step: its spell under way and its candidates.
struct EventFinder::Column
{
    qint64 lastBusy = std::numeric_limits<qint64>::min() / 2; // counted sweep number
    int count = 0; // busy sweeps of the spell under way
    qint64 start = 0;
    qint64 end = 0;
    qint64 seenMs = 0; // of the spell, seen busy: end - start less the gaps between
    qint64 unseenAtEnd = 0; // m_unseenMs at the spell's last busy sweep
    int peak = -128;
    qint64 busyBefore = 0;
    qint64 sweepsBefore = 0;
    bool seenBefore = false;
    qint64 minuteBusy = 0; // busy sweeps in the last minute
    std::vector<Spell> candidates;
};

bool EventFinder::Event::operator==(const Event &other) const
{
    return startMs == other.startMs && endMs == other.endMs && firstColumn == other.firstColumn
        && lastColumn == other.lastColumn && peakDbm == other.peakDbm && ongoing == other.ongoing;
}

EventFinder::EventFinder(const FrequencyAxis &axis, int columns, const Options &options)
    : m_axis(axis)
    , m_columns(qBound(0, columns, int(std::numeric_limits<quint16>::max())))
    , m_options(options)
    , m_rule(options.thresholdDbm)
    , m_state(size_t(m_columns))
{
    m_busy.reserve(size_t(m_columns));
}

EventFinder::~EventFinder() = default;

void EventFinder::pause()
{
    for (Column &column : m_state) {
        close(column, false);
        column.minuteBusy = 0;
    }
    m_minute.clear();
    m_minuteColumns.clear();
}

void EventFinder::add(qint64 timestamp, const qint8 *values, int length)
{
    length = qMin(length, m_columns);
    if (m_finished)
        return;
    if (std::all_of(values, values + length, [](qint8 v) { return v == -128; })) {
        m_gap = m_sweeps > 0;
        return;
    }

    if (m_sweeps > 0) {
        // After a long pause nothing before it tells what the minute before this sweep was
        // like, nor whether a spell went on; after a shorter gap a spell goes on, but the gap
        // was not seen busy.
        if (timestamp - m_lastMs > k_maxPauseMs)
            pause();
        else if (m_gap)
            m_unseenMs += timestamp - m_lastMs;
    }
    m_gap = false;
    m_lastMs = timestamp;
    // The minute before this sweep: drop what is older, keeping the newest sweep at least a
    // minute old, which tells that the whole minute was seen.
    while (m_minute.size() >= 2 && timestamp - m_minute[1].timestamp >= m_options.quietBeforeMs) {
        for (int i = 0; i < m_minute.front().busy; ++i) {
            --m_state[m_minuteColumns.front()].minuteBusy;
            m_minuteColumns.pop_front();
        }
        m_minute.pop_front();
    }
    const bool seen
        = !m_minute.empty() && timestamp - m_minute.front().timestamp >= m_options.quietBeforeMs;
    const qint64 sweepsBefore = qint64(m_minute.size());

    m_busy.clear();
    for (int j = 0; j < length; ++j) {
        if (m_rule.isBusy(values[j]))
            m_busy.push_back(quint16(j));
    }
    const qint64 k = m_sweeps;
    for (const quint16 j : m_busy) {
        Column &column = m_state[j];
        const int value = values[j];
        // One quiet sweep between two busy ones keeps the spell going.
        if (column.count > 0 && k - column.lastBusy <= 2) {
            ++column.count;
            column.seenMs += timestamp - column.end - (m_unseenMs - column.unseenAtEnd);
            column.end = timestamp;
            column.peak = qMax(column.peak, value);
        } else {
            close(column, false);
            column.count = 1;
            column.start = timestamp;
            column.end = timestamp;
            column.seenMs = 0;
            column.peak = value;
            column.busyBefore = column.minuteBusy;
            column.sweepsBefore = sweepsBefore;
            column.seenBefore = seen;
        }
        column.lastBusy = k;
        column.unseenAtEnd = m_unseenMs;
        ++column.minuteBusy;
        m_minuteColumns.push_back(j);
    }
    m_minute.push_back({timestamp, int(m_busy.size())});
    ++m_sweeps;
}

void EventFinder::close(Column &column, bool ongoing)
{
    // A single busy sweep is a spike; a spell seen busy for less than the minimum is no change.
    if (column.count >= 2 && column.seenMs >= m_options.minBusyMs)
        column.candidates.push_back({column.start, column.end, column.peak, column.busyBefore,
                                     column.sweepsBefore, column.seenBefore, ongoing});
    column.count = 0;
}

QList<EventFinder::Event> EventFinder::finish()
{
    if (m_finished)
        return {};
    m_finished = true;
    // The spells still under way: a spell has ended only after two quiet sweeps.
    for (Column &column : m_state)
        close(column, m_sweeps - 1 - column.lastBusy < 2);

    // Every candidate gets a number; neighbouring steps' candidates that overlap in time are
    // joined into one group.
    std::vector<size_t> offset(m_state.size() + 1, 0);
    for (size_t j = 0; j < m_state.size(); ++j)
        offset[j + 1] = offset[j] + m_state[j].candidates.size();
    std::vector<size_t> parent(offset.back());
    std::iota(parent.begin(), parent.end(), size_t(0));
    const auto root = [&parent](size_t i) {
        while (parent[i] != i)
            i = parent[i] = parent[parent[i]];
        return i;
    };
    for (size_t j = 0; j + 1 < m_state.size(); ++j) {
        const std::vector<Spell> &a = m_state[j].candidates;
        const std::vector<Spell> &b = m_state[j + 1].candidates;
        size_t i = 0;
        size_t p = 0;
        while (i < a.size() && p < b.size()) {
            if (a[i].start <= b[p].end && b[p].start <= a[i].end)
                parent[root(offset[j] + i)] = root(offset[j + 1] + p);
            if (a[i].end < b[p].end)
                ++i;
            else
                ++p;
        }
    }

    struct Group
    {
        Event event;
        qint64 busyBefore = 0;
        qint64 sweepsBefore = 0;
        bool seenBefore = true;
    };
    std::vector<Group> groups;
    std::vector<qint64> groupOf(parent.size(), -1);
    for (size_t j = 0; j < m_state.size(); ++j) {
        for (size_t s = 0; s < m_state[j].candidates.size(); ++s) {
            const Spell &spell = m_state[j].candidates[s];
            const size_t r = root(offset[j] + s);
            if (groupOf[r] < 0) {
                groupOf[r] = qint64(groups.size());
                Group group;
                group.event.startMs = spell.start;
                group.event.endMs = spell.end;
                group.event.firstColumn = int(j);
                group.event.lastColumn = int(j);
                groups.push_back(group);
            }
            Group &group = groups[size_t(groupOf[r])];
            Event &event = group.event;
            event.startMs = qMin(event.startMs, spell.start);
            event.endMs = qMax(event.endMs, spell.end);
            event.firstColumn = qMin(event.firstColumn, int(j));
            event.lastColumn = qMax(event.lastColumn, int(j));
            event.peakDbm = qMax(event.peakDbm, spell.peak);
            event.ongoing = event.ongoing || spell.ongoing;
            group.busyBefore += spell.busyBefore;
            group.sweepsBefore += spell.sweepsBefore;
            group.seenBefore = group.seenBefore && spell.seenBefore;
        }
    }

    QList<Event> events;
    for (Group &group : groups) {
        const bool quiet = group.sweepsBefore > 0
            && double(group.busyBefore) <= m_options.quietShare * double(group.sweepsBefore);
        if (!group.seenBefore || !quiet)
            continue;
        group.event.lowerMHz = m_axis.megahertz(group.event.firstColumn);
        group.event.upperMHz = m_axis.megahertz(group.event.lastColumn);
        events.append(group.event);
    }
    std::sort(events.begin(), events.end(), [](const Event &a, const Event &b) {
        return a.startMs != b.startMs ? a.startMs < b.startMs : a.firstColumn < b.firstColumn;
    });
    return events;
}

QList<EventFinder::Event> EventFinder::find(const RfSpectrumHistory &history,
                                            const Options &options, const Progress &progress,
                                            bool *cancelled)
{
    if (cancelled)
        *cancelled = false;
    // A copy shares the store's blocks: sweeps that arrive meanwhile (a progress dialog runs
    // the event loop) go to the page's own store, not to this one.
    const SampleStore samples = history.samples;
    EventFinder finder(FrequencyAxis::of(history), samples.columns(), options);
    const int total = samples.size();
    constexpr int k_progressEvery = SampleStore::k_blockSweeps;
    for (int i = 0; i < total; ++i) {
        if (progress && i % k_progressEvery == 0 && !progress(i, total)) {
            if (cancelled)
                *cancelled = true;
            return {};
        }
        finder.add(samples.timestamp(i), samples.values(i), samples.columns());
    }
    if (progress)
        progress(total, total);
    return finder.finish();
}
