#include "VexaIdAdvisor.h"

#include "Constants.h"
#include "RecordingFile.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

bool isGapFiller(const RfSpectrumScan &scan)
{
    return std::all_of(scan.cbegin(), scan.cend(), [](qint8 v) { return v == -128; });
}

// Amplitude i of a sweep lies at FStart + i * FStep / 1000 MHz of its band's parameters.
struct Axis
{
    double startMHz;
    double stepMHz;
};

Axis axisOf(const RfSpectrumHistory &history)
{
    const ScanParams &params = RecordingFile::bandOf(history) == RecordingFile::Band::Band900MHz
        ? Constants::k_900ScanParams
        : Constants::k_2400ScanParams;
    return {params.value(QStringLiteral("FStart")).toDouble(),
            params.value(QStringLiteral("FStep")).toDouble() / 1000.0};
}

} // namespace

double VexaIdAdvisor::frequencyOf(const RfSpectrumHistory &history, int index)
{
    const Axis axis = axisOf(history);
    return axis.startMHz + index * axis.stepMHz;
}

QList<VexaIdAdvisor::Score> VexaIdAdvisor::rank(const RfSpectrumHistory &history, int first,
                                                int last, const Options &options)
{
    const RecordingFile::Band band = RecordingFile::bandOf(history);
    const QList<RfSpectrumSample> &samples = history.samples;
    first = qBound(0, first, samples.size());
    last = qBound(first, last, samples.size());
    if (band == RecordingFile::Band::Rejected || first == last)
        return {};

    // Per frequency step over the stretch: the sweeps at or above the threshold and the sum of
    // the amplitudes, so that each plan then costs one pass over its own steps.
    const int columns = samples.at(first).scan.size();
    std::vector<qint64> busy(size_t(columns), 0);
    std::vector<qint64> sum(size_t(columns), 0);
    qint64 sweeps = 0;
    const int threshold = int(std::ceil(options.thresholdDbm));
    for (int s = first; s < last; ++s) {
        const RfSpectrumScan &scan = samples.at(s).scan;
        if (scan.size() != columns || isGapFiller(scan))
            continue;
        ++sweeps;
        const qint8 *values = scan.constData();
        for (int j = 0; j < columns; ++j) {
            busy[size_t(j)] += values[j] >= threshold ? 1 : 0;
            sum[size_t(j)] += values[j];
        }
    }
    if (sweeps == 0)
        return {};

    const Axis axis = axisOf(history);
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
        int steps = 0;
        for (int j = 0; j < columns; ++j) {
            const double mhz = axis.startMHz + j * axis.stepMHz;
            if (mhz < it.value().lowerEdge() || mhz > it.value().upperEdge())
                continue;
            busyCells += busy[size_t(j)];
            amplitudeSum += sum[size_t(j)];
            ++steps;
        }
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
