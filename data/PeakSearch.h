#pragma once

#include "FrequencyAxis.h"

#include <QList>
#include <QVector>

// The peaks of a trace (one level per frequency step) that stand out: the local maxima, a flat
// top counting once at its middle step and a band edge counting when its neighbour is lower,
// each at least the minimum prominence above its surroundings, strongest first (the lower
// frequency first among equals). A peak closer than the separation to a stronger one is part
// of it and left out. Steps without a level (-128) are never peaks.
//
// Prominence: how far a peak rises above the higher of the two dips that separate it from a
// higher point on either side (where a side has no higher point, its lowest level up to the
// band edge; beyond an edge there is no dip). Ripples on the flat top of a Wi-Fi channel rise
// a few dB above their dips and are left out; the channel's highest point rises above the
// floor. Of two equal peaks the lower frequency counts as the higher.
class PeakSearch
{
public:
    static constexpr double k_defaultProminenceDb = 6.0;

    struct Peak
    {
        int step = 0;
        double level = 0.0;
        double prominence = 0.0; // dB

        bool operator==(const Peak &other) const
        {
            return step == other.step && level == other.level;
        }
    };

    // The separation of the history's band: 1 MHz, on the 900 MHz band 0.5 MHz.
    static qint64 separationHertz(const RfSpectrumHistory &history);

    static QList<Peak> find(const QVector<double> &trace, const FrequencyAxis &axis,
                            qint64 separationHertz, double minProminenceDb = k_defaultProminenceDb);
    // The index among `peaks` of the next lower peak after a point at `level` and `step`:
    // the strongest peak that comes after that point in the peaks' order; -1 when none does.
    static int next(const QList<Peak> &peaks, double level, int step);
};
