#pragma once

#include "FrequencyAxis.h"

#include <QByteArray>
#include <QVector>
#include <functional>

class QString;
class SampleStore;

// Sweeps in the CSV layout of rtl_power, which the heat-map and analysis scripts of SDR users
// read: one line per sweep, "date, time, Hz low, Hz high, Hz step, samples, dB, dB, ..."
// ("2026-12-09, 20:53:16, 2400000000, 2500000000, 200000, 1, -91.0, ..."): the local date and
// time the sweep was taken, the frequencies of its first and its last step, the step, one
// sample a value, and its values in dBm with one decimal. A line is made from the sweep alone,
// so a recording of any length is written in the memory of one sweep.
class SweepLines
{
public:
    explicit SweepLines(const FrequencyAxis &axis);

    // The line of a sweep of `length` values taken at `msecs` (ms since the epoch), with its
    // line feed; empty for a gap filler (every value -128) and for a sweep without values.
    QByteArray line(qint64 msecs, const qint8 *values, int length) const;

    // Writes the lines of sweeps [first, last) of a store to a file, through a temporary one
    // that replaces it only when complete. `progress` hears how many of the sweeps are written
    // and stops it by answering false. False with the reason in *error (empty when stopped).
    static bool save(const QString &path, const SampleStore &store, int first, int last,
                     const FrequencyAxis &axis,
                     const std::function<bool(qint64 done, qint64 total)> &progress,
                     QString *error);

private:
    FrequencyAxis m_axis;
    QVector<QByteArray> m_levels; // ", -91.0" of each value, indexed by value + 128
};
