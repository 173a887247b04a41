#include "JournalReplay.h"

#include "QwtIntervalStream.h"
#include "StreamCount.h"

#include <QDataStream>
#include <algorithm>

JournalReplay::JournalReplay(JournalReader::Result &result, bool summaryOnly)
    : m_result(result)
    , m_summaryOnly(summaryOnly)
{ }

bool JournalReplay::apply(JournalFormat::Record type, const QByteArray &payload)
{
    using Record = JournalFormat::Record;
    QDataStream in(payload);
    in.setVersion(QDataStream::Qt_5_15);
    // One header, first; nothing before it.
    if ((type == Record::Header) == m_headerSeen)
        return false;
    const bool amending = !m_result.amendedPath.isEmpty();
    const auto whole = [&in] { return in.status() == QDataStream::Ok && in.atEnd(); };
    RfSpectrumHistory &history = m_result.history;
    switch (type) {
    case Record::Header: {
        qint64 created = 0;
        QwtInterval frequencies;
        QwtInterval amplitudes;
        QString version;
        in >> created >> frequencies >> amplitudes >> version;
        if (!whole())
            return false;
        m_result.createdMs = created;
        history.freqInterval = frequencies;
        history.rssiInterval = amplitudes;
        m_result.programVersion = version;
        m_headerSeen = true;
        return true;
    }
    case Record::Amends: {
        QString path;
        qint64 size = 0;
        qint64 modified = 0;
        in >> path >> size >> modified;
        if (m_recordsAfterHeader != 0 || path.isEmpty() || size < 0 || !whole())
            return false;
        m_result.amendedPath = path;
        m_result.amendedSize = size;
        m_result.amendedModifiedMs = modified;
        ++m_recordsAfterHeader;
        return true;
    }
    case Record::Sample:
        // The edits of a recording carry no sweeps: the file holds them.
        if (amending || !sample(in) || !whole())
            return false;
        commitSample();
        break;
    case Record::WifiSet: {
        quint32 number = 0;
        WifiScan accessPoints;
        in >> number;
        StreamCount::readElements(in, accessPoints, WifiApInfo::k_minEncodedBytes);
        if (amending || number == 0 || !whole())
            return false;
        m_sets.insert(number, accessPoints);
        m_result.lastSetNumber = std::max(m_result.lastSetNumber, number);
        break;
    }
    case Record::NewestWifi: {
        quint32 number = 0;
        in >> number;
        WifiScan accessPoints;
        if (amending || !whole() || !set(number, &accessPoints))
            return false;
        history.samples.setNewestAccessPoints(accessPoints);
        break;
    }
    case Record::EventAdded:
    case Record::EventRemoved: {
        TimeEvent event;
        in >> event;
        if (!whole())
            return false;
        if (type == Record::EventAdded)
            history.timeEvents.append(event);
        else if (const int index = history.timeEvents.indexOf(event); index >= 0)
            history.timeEvents.removeAt(index);
        ++m_result.edits;
        break;
    }
    case Record::LabelAdded:
    case Record::LabelRemoved: {
        SpectroLabel label;
        in >> label;
        if (!whole())
            return false;
        if (type == Record::LabelAdded)
            history.labels.append(label);
        else if (const int index = history.labels.indexOf(label); index >= 0)
            history.labels.removeAt(index);
        ++m_result.edits;
        break;
    }
    case Record::Project: {
        ProjectInfoData info;
        in >> info;
        if (!whole())
            return false;
        history.projectInfo = info;
        ++m_result.edits;
        break;
    }
    default:
        return false;
    }
    ++m_recordsAfterHeader;
    return true;
}

bool JournalReplay::set(quint32 number, WifiScan *accessPoints) const
{
    accessPoints->clear();
    if (number == 0)
        return true;
    const auto found = m_sets.constFind(number);
    if (found == m_sets.constEnd())
        return m_afterDamage;
    *accessPoints = found.value();
    return true;
}

// Reads a sample into m_sample (its amplitudes skipped for a summary).
bool JournalReplay::sample(QDataStream &in)
{
    quint32 number = 0;
    in >> m_sample.timestamp >> number;
    if (in.status() != QDataStream::Ok || !RfSpectrumSample::isValidTimestamp(m_sample.timestamp)
        || !set(number, &m_sample.wifiAps))
        return false;
    if (!m_summaryOnly) {
        StreamCount::readAmplitudes(in, m_sample.scan);
        return true;
    }
    qint32 count = 0;
    in >> count;
    return count >= 0 && count <= StreamCount::k_maxAmplitudes && in.skipRawData(count) == count;
}

void JournalReplay::commitSample()
{
    JournalReader::Result &r = m_result;
    if (r.sweeps == 0)
        r.firstSweepMs = m_sample.timestamp;
    r.lastSweepMs = m_sample.timestamp;
    ++r.sweeps;
    if (!m_summaryOnly)
        r.history.samples.append(m_sample);
}
