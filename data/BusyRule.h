#pragma once

#include <QtGlobal>

// What "busy" means wherever the program counts it (the VEXA ID advisor, the watch, the event
// finder), so that they never disagree: a cell (one frequency step of one sweep) is busy when
// its value is at or above the threshold rounded up to a whole dBm. Gap-filler sweeps (every
// value -128) count neither way; their readers leave them out.
class BusyRule
{
public:
    static constexpr double k_defaultThresholdDbm = -80.0;

    explicit BusyRule(double thresholdDbm = k_defaultThresholdDbm);

    // The lowest busy value: ceil(threshold), kept within -129 (all busy) ... 128 (none).
    int level() const { return m_level; }
    bool isBusy(qint8 value) const { return value >= m_level; }
    // How many of values[first ... last] are busy.
    int count(const qint8 *values, int first, int last) const;

private:
    int m_level;
};
