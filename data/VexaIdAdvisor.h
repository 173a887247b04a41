#pragma once

#include "RfSpectrumHistory.h"

#include <QList>

// Which VEXA ID network plan suits a site: every plan of the band is scored by how busy the
// frequencies it occupies (centre +- bandwidth / 2) were over a stretch of sweeps: the share of
// (sweep, frequency step) cells at or above a threshold, with the mean amplitude there as the
// tie-breaker. Lower is better. Sweeps of gap filler (every value -128, written while the
// other band was swept) count neither way. The counts come from the sample store's summaries,
// so a stretch of hours costs little more than one of minutes.
class VexaIdAdvisor
{
public:
    struct Options
    {
        double thresholdDbm = -80.0;
        int minUniverses = 0; // only plans carrying at least this many universes
    };

    struct Score
    {
        int id = 0;
        int universes = 0;
        double busyShare = 0.0; // 0 to 1
        double meanDbm = 0.0;
        qint64 cells = 0; // cells inside the plan's range that were counted
    };

    // The plans of the history's band scored over samples [first, last), best first. Empty
    // when the stretch holds no sweep to count (or the band is neither of the two).
    static QList<Score> rank(const RfSpectrumHistory &history, int first, int last,
                             const Options &options);
    static QList<Score> rank(const RfSpectrumHistory &history, int first, int last)
    {
        return rank(history, first, last, Options());
    }
};
