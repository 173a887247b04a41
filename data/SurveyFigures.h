#pragma once

#include "EventFinder.h"
#include "PeakSearch.h"
#include "RfSpectrumHistory.h"
#include "VexaIdAdvisor.h"

#include <QList>
#include <limits>

// What a site-survey report says of a stretch of a history, worked out without drawing: the
// stretch itself, how busy each Wi-Fi channel (2.4 GHz) or 2 MHz segment (900 MHz) was and
// which access points were heard there, the VEXA ID ranking with its recommendation in words,
// the time events and the events found where the air changed (as Find Events finds them, at
// the report's threshold). Busy is counted as the VEXA ID advisor counts it: the (sweep, frequency
// step) cells at or above the threshold; gap-filler sweeps count neither way.
class SurveyFigures
{
public:
    struct Options
    {
        double thresholdDbm = -80.0;
        int minUniverses = 0;
        double minProminenceDb = PeakSearch::k_defaultProminenceDb; // of the peaks listed
        qint64 fromMs = std::numeric_limits<qint64>::min();
        qint64 toMs = std::numeric_limits<qint64>::max();
    };

    struct AccessPoint
    {
        QString name; // the network name, or "(hidden)"
        QString bssid;
        int strongestDbm = 0;
    };

    // A Wi-Fi channel's 22 MHz, or a 2 MHz segment of the 900 MHz band.
    struct Channel
    {
        QString name; // "1" ... "14", or "902-904"
        double lowMHz = 0.0;
        double highMHz = 0.0;
        qint64 cells = 0;
        double busyShare = 0.0; // 0 to 1
        int highestDbm = -128; // -128 when no sweep counted
        QList<AccessPoint> accessPoints; // strongest first
    };

    // A highest point of the Max Hold trace.
    struct Peak
    {
        double frequencyMHz = 0.0;
        int maxDbm = -128;
        double busyShare = 0.0; // of the stretch's sweeps at or above the threshold there
    };

    // The stretch: sweeps [first, last) of the history, from the first sweep measured in the
    // time asked for to the last (gap filler at either end left out; empty without one).
    int first = 0;
    int last = 0;
    qint64 sweeps = 0; // measured: gap fillers left out
    qint64 firstMs = 0;
    qint64 lastMs = 0;
    bool band900 = false;
    QList<Channel> channels;
    QList<VexaIdAdvisor::Score> ranking;
    QString recommendation;
    QString filter;
    QList<TimeEvent> events; // the history's own in the stretch, in time order
    QList<EventFinder::Event> found; // that start in the stretch, in time order
    // The strongest peaks of the Max Hold trace as PeakSearch finds them (strongest first, at
    // least 1 MHz apart, 0.5 MHz on 900 MHz, standing out by the minimum prominence; those of
    // the page's peak table); at most k_peaks.
    QList<Peak> peaks;
    static constexpr int k_peaks = 10;
    Options options;

    static SurveyFigures compute(const RfSpectrumHistory &history, const Options &options);
};
