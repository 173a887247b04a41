#include "PeakSearch.h"

#include "RecordingFile.h"
#include "SpectrumTraces.h"

#include <algorithm>
#include <limits>

namespace {

// The dip between the run trace[first ... last] and the nearest point beyond it, in the
// direction `way`, that is higher (on the left: as high, so that the lower frequency of two
// equal peaks counts as the higher): the lowest level passed on the way, up to the band edge
// where no point is higher. No dip (minus infinity) at the edge itself.
double dipBeside(const QVector<double> &trace, int first, int last, double level, int way)
{
    double dip = std::numeric_limits<double>::infinity();
    for (int i = way < 0 ? first - 1 : last + 1; i >= 0 && i < trace.size(); i += way) {
        const double v = trace.at(i);
        if (way < 0 ? v >= level : v > level)
            break;
        dip = qMin(dip, v);
    }
    return dip == std::numeric_limits<double>::infinity() ? -dip : dip;
}

} // namespace

qint64 PeakSearch::separationHertz(const RfSpectrumHistory &history)
{
    return RecordingFile::bandOf(history) == RecordingFile::Band::Band900MHz ? 500000 : 1000000;
}

QList<PeakSearch::Peak> PeakSearch::find(const QVector<double> &trace, const FrequencyAxis &axis,
                                         qint64 separationHertz, double minProminenceDb)
{
    const int n = trace.size();
    QList<Peak> candidates;
    for (int first = 0; first < n;) {
        // A run of equal levels, a peak when both its neighbours (where it has them) are lower.
        int last = first;
        while (last + 1 < n && trace.at(last + 1) == trace.at(first))
            ++last;
        const double level = trace.at(first);
        const bool risesFromLeft = first == 0 || trace.at(first - 1) < level;
        const bool fallsToRight = last == n - 1 || trace.at(last + 1) < level;
        if (risesFromLeft && fallsToRight && level > SpectrumTraces::k_noLevel) {
            const double prominence = level
                - qMax(dipBeside(trace, first, last, level, -1),
                       dipBeside(trace, first, last, level, +1));
            if (prominence >= minProminenceDb)
                candidates.append({(first + last) / 2, level, prominence});
        }
        first = last + 1;
    }
    std::sort(candidates.begin(), candidates.end(), [](const Peak &a, const Peak &b) {
        return a.level != b.level ? a.level > b.level : a.step < b.step;
    });

    QList<Peak> peaks;
    for (const Peak &candidate : qAsConst(candidates)) {
        const qint64 at = axis.hertz(candidate.step);
        const bool apart = std::all_of(peaks.cbegin(), peaks.cend(), [&](const Peak &peak) {
            return qAbs(axis.hertz(peak.step) - at) >= separationHertz;
        });
        if (apart)
            peaks.append(candidate);
    }
    return peaks;
}

int PeakSearch::next(const QList<Peak> &peaks, double level, int step)
{
    for (int i = 0; i < peaks.size(); ++i) {
        const Peak &peak = peaks.at(i);
        if (peak.level < level || (peak.level == level && peak.step > step))
            return i;
    }
    return -1;
}
