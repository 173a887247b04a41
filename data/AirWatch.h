#pragma once

#include "BusyRule.h"
#include "FrequencyAxis.h"

#include <QHash>
#include <QList>
#include <QString>
#include <deque>

// Watches frequency ranges of one band while it is scanned, for interference: over a sliding
// stretch of the last few seconds, a range whose busy share (its busy cells among all its
// cells, busy as BusyRule counts it) exceeds a limit raises an alert; once the share has stayed
// below the limit for a whole stretch, the alert clears. A range is judged only while the
// sweeps it holds cover a whole stretch without a pause, so that neither the first sweeps of a
// scan nor the few after a pause decide anything. A pause is gap filler (the analyzer swept
// the other band) or a time without sweeps far longer than their usual spacing; after one,
// every range's stretch starts anew, and an alert that stands neither rises nor clears until
// the stretch is covered again. Sweeps cost one pass over the watched ranges' own columns.
class AirWatch
{
public:
    struct Settings
    {
        qint64 stretchMs = 5000;
        double thresholdDbm = BusyRule::k_defaultThresholdDbm;
        double limit = 0.20; // busy share, 0 to 1
    };

    // An alert that was raised or cleared by a sweep, with the share of the stretch then.
    struct Change
    {
        QString key;
        bool raised = false;
        double share = 0.0;
        qint64 timestamp = 0;
    };

    AirWatch(const FrequencyAxis &axis, int columns);

    const Settings &settings() const { return m_settings; }
    // New settings start every range's stretch anew; alerts stand until it is judged again.
    void setSettings(const Settings &settings);

    // Watches lowerMHz ... upperMHz under `key` (replacing a range of that key). False, and
    // nothing watched, when no frequency step of the band lies in it.
    bool addRange(const QString &key, double lowerMHz, double upperMHz);
    // Stops watching; an alert of the range goes with it, unreported.
    void removeRange(const QString &key);
    bool contains(const QString &key) const { return m_ranges.contains(key); }
    QStringList keys() const { return m_ranges.keys(); }
    // A range's first and last column.
    std::pair<int, int> columnsOf(const QString &key) const;

    // No sweep came for longer than this, and longer than k_pauseSpacings times their usual
    // spacing: a pause.
    static constexpr qint64 k_minPauseMs = 1000;
    static constexpr int k_pauseSpacings = 4;

    // One sweep of the band: the alerts it raised or cleared. A sweep of gap filler marks a
    // pause and counts for nothing else; a sweep of another length is left out.
    QList<Change> addSweep(qint64 timestamp, const qint8 *values, int length);

    bool isAlerting(const QString &key) const;
    // The busy share of the range's stretch as it stands (0 before its first sweep).
    double share(const QString &key) const;
    // Every range starts again with nothing counted and no alert (a new scan).
    void reset();

private:
    struct Sweep
    {
        qint64 timestamp;
        int busy;
    };
    struct Range
    {
        int first = 0;
        int last = -1;
        std::deque<Sweep> stretch;
        qint64 busy = 0; // in `stretch`
        qint64 observedSince = -1; // first sweep since the range's stretch started anew
        qint64 belowSince = -1; // while alerting: first sweep of the share below the limit
        bool alerting = false;
        double share = 0.0;

        void restart();
    };

    // Whether the time since the last sweep was a pause; learns the usual spacing otherwise.
    bool paused(qint64 timestamp);
    bool judge(const QString &key, Range &range, qint64 timestamp, Change *change) const;

    FrequencyAxis m_axis;
    int m_columns;
    Settings m_settings;
    BusyRule m_rule;
    QHash<QString, Range> m_ranges;
    qint64 m_lastSweep = -1;
    bool m_gap = false; // gap filler came since the last sweep
    double m_spacingMs = 0.0; // usual time between sweeps, 0 before it is known
};
