#pragma once

#include "data/JournalKeeper.h"
#include "data/RfSpectrumHistory.h"

#include <QObject>

// The history a band page shows, and its journal life: every change (a sweep, the padding over
// the time the analyzer swept the other band, an event or label added or removed, the project
// information) goes into the history and, through the JournalKeeper, into the page's journal.
// The history's time never runs backwards: a clock set back during a scan moves the later
// sweeps on by the step, so the scan stays one unbroken stretch.
class PageHistory : public QObject
{
    Q_OBJECT

public:
    // The longest stretch padded with a filler row per sweep interval; a longer gap (a
    // computer that slept, a clock set forward) is marked by one filler row.
    static constexpr qint64 k_maxPaddedGapMs = 10 * 60 * 1000;

    explicit PageHistory(RfSpectrumHistory history = RfSpectrumHistory(),
                         QObject *parent = nullptr);

    const RfSpectrumHistory &history() const { return m_hist; }
    // The history's ranges and other fields that are not journalled changes.
    RfSpectrumHistory &fields() { return m_hist; }
    JournalKeeper *keeper() const { return m_keeper; }
    // The mean time between the live sweeps, in ms (0 below two sweeps).
    double meanSampleInterval() const { return m_meanSampleInterval; }

    // Appends a live sweep.
    void addSweep(RfSpectrumSample sample);
    // Pads the history with floor-level sweeps, a mean sample interval apart, up to `now` (ms
    // since the epoch, on the computer's clock).
    void padUntil(qint64 now);
    void setProjectInfo(ProjectInfoData data);
    // The newest sample's access points are replaced by a newer Wi-Fi scan.
    void setNewestWifi(const WifiScan &accessPoints);
    void addTimeEvent(const TimeEvent &event);
    // False when the history does not hold the event.
    bool removeTimeEvent(const TimeEvent &event);
    void addLabel(const SpectroLabel &label);
    void removeLabel(const SpectroLabel &label);
    // A new run: no sweeps, events or labels; the journal starts again with the next change.
    void clear();

Q_SIGNALS:
    // The history changed in a way a save would keep.
    void changed();

private:
    void append(const RfSpectrumSample &sample);
    template<typename Change> void journalChange(Change change);

    RfSpectrumHistory m_hist;
    JournalKeeper *const m_keeper;
    double m_meanSampleInterval = 0.0;
    // How far the clock was set back during the scan, added to every later sweep's time.
    qint64 m_clockStepMs = 0;
};
