#include "VexaIdAdvisor.h"

#include "BusyRule.h"
#include "Constants.h"
#include "FrequencyAxis.h"
#include "RecordingFile.h"

#include <algorithm>
#include <vector>

QList<VexaIdAdvisor::Score> VexaIdAdvisor::rank(const RfSpectrumHistory &history, int first,
                                                int last, const Options &options)
{
    const RecordingFile::Band band = RecordingFile::bandOf(history);
    const SampleStore &samples = history.samples;
    first = qBound(0, first, samples.size());
    last = qBound(first, last, samples.size());
    if (band == RecordingFile::Band::Rejected || first == last)
        return {};

    // Per frequency step over the stretch, from the store's summaries: the sweeps at or above
    // the threshold and the sum of the amplitudes, gap fillers taken out (every value of a
    // filler is -128), so that each plan then costs one pass over its own steps.
    const int columns = samples.columns();
    SampleStore::Counts counts;
    counts.reset(columns);
    samples.accumulate(first, last, +1, counts);
    const qint64 fillers = counts.fillers;
    const qint64 sweeps = counts.sweeps - fillers;
    if (sweeps == 0)
        return {};
    const int threshold = BusyRule(options.thresholdDbm).level();
    std::vector<qint64> busy(size_t(columns), 0);
    std::vector<qint64> sum(size_t(columns), 0);
    for (int j = 0; j < columns; ++j) {
        for (int v = qMax(threshold, int(SampleStore::k_missingValue)); v <= 127; ++v)
            busy[size_t(j)] += counts.levels.at((v - SampleStore::k_missingValue) * columns + j);
        if (threshold <= SampleStore::k_missingValue)
            busy[size_t(j)] -= fillers;
        sum[size_t(j)] = counts.sums.at(j) - fillers * SampleStore::k_missingValue;
    }

    const FrequencyAxis axis = FrequencyAxis::of(history);
    QList<Score> scores;
    for (auto it = Constants::k_vexaIdMap.cbegin(); it != Constants::k_vexaIdMap.cend(); ++it) {
        const bool ofBand
            = band == RecordingFile::Band::Band900MHz ? it.key() <= 9500 : it.key() >= 24000;
        if (!ofBand || it.value().universes < options.minUniverses)
            continue;
        Score score;
        score.id = it.key();
        score.universes = it.value().universes;
        qint64 busyCells = 0;
        qint64 amplitudeSum = 0;
        const auto [firstStep, lastStep]
            = axis.stepsWithin(it.value().lowerEdge(), it.value().upperEdge(), columns);
        for (int j = firstStep; j <= lastStep; ++j) {
            busyCells += busy[size_t(j)];
            amplitudeSum += sum[size_t(j)];
        }
        const int steps = qMax(0, lastStep - firstStep + 1);
        score.cells = qint64(steps) * sweeps;
        if (score.cells > 0) {
            score.busyShare = double(busyCells) / double(score.cells);
            score.meanDbm = double(amplitudeSum) / double(score.cells);
        }
        scores.append(score);
    }
    std::stable_sort(scores.begin(), scores.end(), [](const Score &a, const Score &b) {
        if (a.busyShare != b.busyShare)
            return a.busyShare < b.busyShare;
        if (a.meanDbm != b.meanDbm)
            return a.meanDbm < b.meanDbm;
        return a.id < b.id;
    });
    return scores;
}
