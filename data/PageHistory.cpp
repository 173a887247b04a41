#include "PageHistory.h"

#include "data/HistoryJournal.h"
#include "data/JournalFormat.h"

PageHistory::PageHistory(RfSpectrumHistory history, QObject *parent)
    : QObject(parent)
    , m_hist(std::move(history))
    , m_keeper(new JournalKeeper(m_hist, JournalFormat::folder(), this))
{ }

template<typename Change> void PageHistory::journalChange(Change change)
{
    m_keeper->change(change);
    emit changed();
}

void PageHistory::append(const RfSpectrumSample &sample)
{
    m_hist.samples.append(sample);
    journalChange([&sample](HistoryJournal &journal) { journal.appendSample(sample); });
}

void PageHistory::addSweep(RfSpectrumSample sample)
{
    const SampleStore &samples = m_hist.samples;
    if (!samples.isEmpty()) {
        const qint64 newest = samples.timestamp(samples.size() - 1);
        sample.timestamp += m_clockStepMs;
        if (sample.timestamp < newest) {
            m_clockStepMs += newest - sample.timestamp;
            sample.timestamp = newest;
        }
    }
    append(sample);
    const int n = samples.size();
    if (n >= 3) {
        const double interval = double(samples.timestamp(n - 1) - samples.timestamp(n - 2));
        m_meanSampleInterval = m_meanSampleInterval - m_meanSampleInterval / n + interval / n;
    } else if (n == 2) {
        m_meanSampleInterval = double(samples.timestamp(1) - samples.timestamp(0));
    } else {
        m_meanSampleInterval = 0.0;
    }
}

void PageHistory::padUntil(qint64 now)
{
    const SampleStore &samples = m_hist.samples;
    // A mean below a millisecond would truncate the step to nothing and never end.
    if (samples.size() < 2 || m_meanSampleInterval < 1.0)
        return;
    // One filler scan shared by every padding sample: the floor of a signed 8-bit amplitude.
    const RfSpectrumScan filler(samples.columns(), qint8(-128));
    qint64 t = samples.timestamp(samples.size() - 1);
    now += m_clockStepMs;
    if (now - t > k_maxPaddedGapMs) {
        // Longer than anyone stays on the other band: the computer slept, or its clock jumped.
        // One filler marks the gap instead of hours of rows in memory and in the journal.
        append(RfSpectrumSample{qint64(double(t) + m_meanSampleInterval), filler, {}});
        return;
    }
    while (double(now - t) > m_meanSampleInterval) {
        t = qint64(double(t) + m_meanSampleInterval);
        append(RfSpectrumSample{t, filler, WifiScan()});
    }
}

void PageHistory::setProjectInfo(ProjectInfoData data)
{
    if (data == m_hist.projectInfo)
        return;
    m_hist.projectInfo = std::move(data);
    journalChange([this](HistoryJournal &journal) { journal.setProjectInfo(m_hist.projectInfo); });
}

void PageHistory::setNewestWifi(const WifiScan &accessPoints)
{
    if (m_hist.samples.isEmpty())
        return;
    m_hist.samples.setNewestAccessPoints(accessPoints);
    journalChange(
        [&accessPoints](HistoryJournal &journal) { journal.setNewestWifi(accessPoints); });
}

void PageHistory::addTimeEvent(const TimeEvent &event)
{
    m_hist.timeEvents.append(event);
    journalChange([&event](HistoryJournal &journal) { journal.addTimeEvent(event); });
}

bool PageHistory::removeTimeEvent(const TimeEvent &event)
{
    const int index = m_hist.timeEvents.indexOf(event);
    if (index < 0)
        return false;
    m_hist.timeEvents.removeAt(index);
    journalChange([&event](HistoryJournal &journal) { journal.removeTimeEvent(event); });
    return true;
}

void PageHistory::addLabel(const SpectroLabel &label)
{
    m_hist.labels.append(label);
    journalChange([&label](HistoryJournal &journal) { journal.addLabel(label); });
}

void PageHistory::removeLabel(const SpectroLabel &label)
{
    const int index = m_hist.labels.indexOf(label);
    if (index < 0)
        return;
    m_hist.labels.removeAt(index);
    journalChange([&label](HistoryJournal &journal) { journal.removeLabel(label); });
}

void PageHistory::clear()
{
    m_keeper->reset();
    m_clockStepMs = 0;
    m_meanSampleInterval = 0.0;
    m_hist.samples.clear();
    m_hist.timeEvents.clear();
    m_hist.labels.clear();
}
