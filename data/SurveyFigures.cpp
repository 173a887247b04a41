#include "SurveyFigures.h"

#include "Constants.h"
#include "FrequencyAxis.h"
#include "PeakSearch.h"
#include "RecordingFile.h"

#include <QCoreApplication>
#include <QHash>
#include <algorithm>
#include <cmath>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SurveyFigures", text);
}

QString percent(double share)
{
    return QString::number(share * 100.0, 'f', 1);
}

} // namespace

SurveyFigures SurveyFigures::compute(const RfSpectrumHistory &history, const Options &options)
{
    SurveyFigures figures;
    figures.options = options;
    figures.band900 = RecordingFile::bandOf(history) == RecordingFile::Band::Band900MHz;
    const SampleStore &samples = history.samples;
    int first = 0;
    while (first < samples.size() && samples.timestamp(first) < options.fromMs)
        ++first;
    int last = first;
    while (last < samples.size() && samples.timestamp(last) <= options.toMs)
        ++last;
    // From the first sweep measured to the last: gap filler at either end is no sweep.
    while (first < last && samples.isGapFiller(first))
        ++first;
    while (last > first && samples.isGapFiller(last - 1))
        --last;
    figures.first = first;
    figures.last = last;
    if (last > first) {
        figures.firstMs = samples.timestamp(first);
        figures.lastMs = samples.timestamp(last - 1);
    }

    // Per frequency step: the cells at or above the threshold and the highest value, from the
    // counts of the stretch, fillers (every value -128) taken out.
    const int columns = samples.columns();
    SampleStore::Counts counts;
    counts.reset(columns);
    samples.accumulate(first, last, +1, counts);
    figures.sweeps = counts.sweeps - counts.fillers;
    const int threshold = int(qBound(-129.0, std::ceil(options.thresholdDbm), 128.0));
    QVector<qint64> busy(columns, 0);
    QVector<int> highest(columns, -128);
    for (int j = 0; j < columns; ++j) {
        for (int v = 127; v > -128; --v) {
            const qint32 c = counts.levels.at((v + 128) * columns + j);
            if (c == 0)
                continue;
            if (highest[j] == -128)
                highest[j] = v;
            if (v >= threshold)
                busy[j] += c;
        }
        if (threshold <= -128)
            busy[j] += counts.levels.at(j) - counts.fillers;
    }

    // The peaks of the Max Hold trace, found as the page's peak table finds them.
    const FrequencyAxis axis = FrequencyAxis::of(history);
    const QVector<double> maxHold(highest.cbegin(), highest.cend());
    const QList<PeakSearch::Peak> peaks = PeakSearch::find(
        maxHold, axis, PeakSearch::separationHertz(history), options.minProminenceDb);
    for (int p = 0; p < qMin(int(peaks.size()), int(k_peaks)); ++p) {
        const int j = peaks.at(p).step;
        figures.peaks.append(
            {axis.megahertz(j), highest.at(j),
             figures.sweeps > 0 ? double(busy.at(j)) / double(figures.sweeps) : 0.0});
    }

    // The ranges: Wi-Fi channels 1 to 14 (centre +- 11 MHz), or 2 MHz segments.
    const auto range = [](const QString &name, double low, double high) {
        Channel channel;
        channel.name = name;
        channel.lowMHz = low;
        channel.highMHz = high;
        return channel;
    };
    if (figures.band900) {
        for (int low = 902; low < 928; low += 2)
            figures.channels.append(
                range(QStringLiteral("%1-%2").arg(low).arg(low + 2), low, low + 2));
    } else {
        for (int channel = 1; channel <= 14; ++channel) {
            const double centre = Constants::k_wifiChannelFreq.at(channel);
            figures.channels.append(range(QString::number(channel), centre - 11.0, centre + 11.0));
        }
    }
    for (int c = 0; c < figures.channels.size(); ++c) {
        Channel &channel = figures.channels[c];
        const bool lastSegment = figures.band900 && c == figures.channels.size() - 1;
        qint64 busyCells = 0;
        for (int j = 0; j < columns; ++j) {
            const double mhz = axis.megahertz(j);
            // 900 MHz segments meet: each step belongs to one (the band's top to the last).
            const bool inside = figures.band900 ? mhz >= channel.lowMHz
                    && (mhz < channel.highMHz || (lastSegment && mhz <= channel.highMHz))
                                                : mhz >= channel.lowMHz && mhz <= channel.highMHz;
            if (!inside)
                continue;
            channel.cells += figures.sweeps;
            busyCells += busy.at(j);
            channel.highestDbm = qMax(channel.highestDbm, highest.at(j));
        }
        channel.busyShare = channel.cells > 0 ? double(busyCells) / double(channel.cells) : 0.0;
    }

    // The access points heard in the stretch, by channel, each at its strongest.
    if (!figures.band900 && last > first) {
        QHash<QString, AccessPoint> strongest;
        QHash<QString, int> channelOf;
        WifiScan previous;
        for (int i = first; i < last; ++i) {
            const WifiScan &scan = samples.accessPoints(i);
            if (scan == previous)
                continue;
            previous = scan;
            for (const WifiApInfo &ap : scan) {
                const int channel = Constants::k_wifiFreqChannel.value(double(ap.frequency), 0);
                if (channel == 0)
                    continue;
                auto found = strongest.find(ap.bssid);
                if (found == strongest.end()) {
                    strongest.insert(
                        ap.bssid,
                        {ap.ssid.isEmpty() ? tr("(hidden)") : ap.ssid, ap.bssid, ap.rssi});
                    channelOf.insert(ap.bssid, channel);
                } else if (ap.rssi > found->strongestDbm) {
                    found->strongestDbm = ap.rssi;
                }
            }
        }
        for (auto it = strongest.cbegin(); it != strongest.cend(); ++it)
            figures.channels[channelOf.value(it.key()) - 1].accessPoints.append(it.value());
        for (Channel &channel : figures.channels) {
            std::sort(channel.accessPoints.begin(), channel.accessPoints.end(),
                      [](const AccessPoint &a, const AccessPoint &b) {
                          return a.strongestDbm != b.strongestDbm ? a.strongestDbm > b.strongestDbm
                                                                  : a.bssid < b.bssid;
                      });
        }
    }

    // The VEXA ID ranking and what it recommends.
    VexaIdAdvisor::Options advisor;
    advisor.thresholdDbm = options.thresholdDbm;
    advisor.minUniverses = options.minUniverses;
    figures.ranking = VexaIdAdvisor::rank(history, first, last, advisor);
    figures.filter = options.minUniverses > 0
        ? tr("Plans carrying at least %1 universes; busy at or above %2 dBm.")
              .arg(options.minUniverses)
              .arg(options.thresholdDbm)
        : tr("All plans of the band; busy at or above %1 dBm.").arg(options.thresholdDbm);
    if (figures.ranking.isEmpty()) {
        figures.recommendation = tr("No sweep of this stretch can be ranked: no recommendation.");
    } else {
        const VexaIdAdvisor::Score &best = figures.ranking.first();
        figures.recommendation
            = tr("VEXA ID %1 (%2, %3 MHz) is the quietest plan of the band in this stretch: %4 % "
                 "of the cells it occupies were at or above %5 dBm, with a mean level of %6 dBm.")
                  .arg(best.id)
                  .arg(Constants::k_vexaIdMap.value(best.id).type)
                  .arg(Constants::k_vexaIdMap.value(best.id).center)
                  .arg(percent(best.busyShare))
                  .arg(options.thresholdDbm)
                  .arg(QString::number(best.meanDbm, 'f', 1));
    }

    // The time events in the stretch.
    for (const TimeEvent &event : history.timeEvents) {
        const qint64 ms = event.dateTime.toMSecsSinceEpoch();
        if (last > first && ms >= figures.firstMs && ms <= figures.lastMs)
            figures.events.append(event);
    }
    std::stable_sort(
        figures.events.begin(), figures.events.end(),
        [](const TimeEvent &a, const TimeEvent &b) { return a.dateTime < b.dateTime; });

    // The events found that start in the stretch: the search begins a quiet minute (and a
    // pause) before it, so that a change at its start is seen as the whole history shows it.
    if (last > first) {
        EventFinder::Options search;
        search.thresholdDbm = options.thresholdDbm;
        const qint64 lead = search.quietBeforeMs + EventFinder::k_maxPauseMs;
        int from = first;
        while (from > 0 && samples.timestamp(from - 1) >= figures.firstMs - lead)
            --from;
        EventFinder finder(axis, columns, search);
        for (int i = from; i < last; ++i)
            finder.add(samples.timestamp(i), samples.values(i), columns);
        for (const EventFinder::Event &event : finder.finish()) {
            if (event.startMs >= figures.firstMs)
                figures.found.append(event);
        }
    }
    return figures;
}
