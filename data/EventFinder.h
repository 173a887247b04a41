#pragma once

#include "BusyRule.h"
#include "FrequencyAxis.h"

#include <QList>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

struct RfSpectrumHistory;

// Finds where the air changed in a run of sweeps: a frequency range that was quiet for the
// preceding minute and then turned busy for at least two seconds, and when it fell quiet again.
//
// Per frequency step, busy cells (as BusyRule counts them) form spells: busy sweeps no more
// than one quiet sweep apart. A spell of a single sweep is a stray spike and is ignored; a
// spell that was seen busy for the minimum time is a candidate. Candidates of neighbouring
// steps that overlap in time are merged into one event over their frequency range. The event
// stands when the minute before each of its spells was seen (a whole minute of sweeps) and was
// quiet: its steps were busy in no more than a small share of that minute's sweeps, so that
// stray hops and spikes do not hide a change, while a channel that was busy all along (Wi-Fi
// traffic) raises nothing.
//
// Only what was seen counts. Gap-filler sweeps (every value -128, written while the analyzer
// swept the other band) count neither way, and the time between the sweeps either side of them
// was not seen: a spell that goes on across such a gap counts only the time seen busy before
// and after it. A pause of more than k_maxPauseMs in the sweeps ends every spell under way and
// leaves the minute before the sweeps after it unseen.
//
// Sweeps are handed in one at a time, in time order, so that a recording of any length is
// searched in one pass and in the memory of a minute of sweeps.
class EventFinder
{
public:
    static constexpr qint64 k_maxPauseMs = 10000;

    struct Options
    {
        double thresholdDbm = BusyRule::k_defaultThresholdDbm;
        qint64 minBusyMs = 2000;
        qint64 quietBeforeMs = 60000;
        double quietShare = 0.10;
    };

    struct Event
    {
        qint64 startMs = 0; // first busy sweep
        qint64 endMs = 0; // last busy sweep (the time between includes any gap in the sweeps)
        int firstColumn = 0;
        int lastColumn = -1;
        double lowerMHz = 0.0;
        double upperMHz = 0.0;
        int peakDbm = -128;
        bool ongoing = false; // still busy at the last sweep

        qint64 durationMs() const { return endMs - startMs; }
        bool operator==(const Event &other) const;
    };

    // done of total sweeps; false stops the search.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    EventFinder(const FrequencyAxis &axis, int columns, const Options &options);
    ~EventFinder();

    // The next sweep (timestamps never decrease), gap fillers included: they tell that the
    // time until the next sweep was not seen. Values past `columns` are ignored; missing ones
    // are quiet.
    void add(qint64 timestamp, const qint8 *values, int length);
    // The events of every sweep added, by start time (then frequency).
    QList<Event> finish();

    // The events of a whole history. `progress` hears how far the search got; when it
    // returns false the search stops and *cancelled (when given) is set.
    static QList<Event> find(const RfSpectrumHistory &history, const Options &options,
                             const Progress &progress = {}, bool *cancelled = nullptr);

private:
    struct Spell;
    struct Column;
    struct MinuteSweep
    {
        qint64 timestamp;
        int busy; // busy steps, their columns in m_minuteColumns
    };

    void close(Column &column, bool ongoing);
    // A pause in the sweeps: every spell under way ends, and the minute before starts anew.
    void pause();

    FrequencyAxis m_axis;
    int m_columns;
    Options m_options;
    BusyRule m_rule;
    std::vector<Column> m_state;
    qint64 m_sweeps = 0; // counted so far
    qint64 m_lastMs = 0; // of the last sweep counted
    bool m_gap = false; // gap filler came after the last sweep counted
    qint64 m_unseenMs = 0; // the time between sweeps counted that gap filler stood for
    // The sweeps of the last minute (and the newest one older than that), with the columns
    // that were busy in each.
    std::deque<MinuteSweep> m_minute;
    std::deque<quint16> m_minuteColumns;
    std::vector<quint16> m_busy;
    bool m_finished = false;
};
