#include "JournalEncoder.h"

#include "QwtIntervalStream.h"

#include <QDataStream>

namespace {

template<typename Write> QByteArray payload(Write write)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    write(out);
    return bytes;
}

} // namespace

void JournalEncoder::header(QByteArray &out, const RfSpectrumHistory &history, qint64 createdMs,
                            const QString &programVersion)
{
    out += JournalFormat::k_magic;
    JournalFormat::appendRecord(out, JournalFormat::Record::Header, payload([&](QDataStream &s) {
                                    s << createdMs << history.freqInterval << history.rssiInterval
                                      << programVersion;
                                }));
}

void JournalEncoder::contents(QByteArray &out, const RfSpectrumHistory &history)
{
    if (history.projectInfo != ProjectInfoData())
        projectInfo(out, history.projectInfo);
    const SampleStore &samples = history.samples;
    for (int i = 0; i < samples.size(); ++i) {
        int length = 0;
        const char *values = samples.ownValues(i, &length);
        sample(out, samples.timestamp(i), values, length, samples.accessPoints(i));
    }
    for (const TimeEvent &event : history.timeEvents)
        timeEvent(out, event, true);
    for (const SpectroLabel &l : history.labels)
        label(out, l, true);
}

void JournalEncoder::sample(QByteArray &out, const RfSpectrumSample &sample)
{
    JournalEncoder::sample(out, sample.timestamp,
                           reinterpret_cast<const char *>(sample.scan.constData()),
                           sample.scan.size(), sample.wifiAps);
}

void JournalEncoder::sample(QByteArray &out, qint64 timestamp, const char *values, int length,
                            const WifiScan &accessPoints)
{
    const quint32 set = setNumber(out, accessPoints);
    JournalFormat::appendRecord(out, JournalFormat::Record::Sample, payload([&](QDataStream &s) {
                                    s << timestamp << set << qint32(length);
                                    s.writeRawData(values, length);
                                }));
}

void JournalEncoder::newestWifi(QByteArray &out, const WifiScan &accessPoints)
{
    const quint32 set = setNumber(out, accessPoints);
    JournalFormat::appendRecord(out, JournalFormat::Record::NewestWifi,
                                payload([set](QDataStream &s) { s << set; }));
}

void JournalEncoder::timeEvent(QByteArray &out, const TimeEvent &event, bool added)
{
    JournalFormat::appendRecord(
        out, added ? JournalFormat::Record::EventAdded : JournalFormat::Record::EventRemoved,
        payload([&event](QDataStream &s) { s << event; }));
}

void JournalEncoder::label(QByteArray &out, const SpectroLabel &label, bool added)
{
    JournalFormat::appendRecord(
        out, added ? JournalFormat::Record::LabelAdded : JournalFormat::Record::LabelRemoved,
        payload([&label](QDataStream &s) { s << label; }));
}

void JournalEncoder::projectInfo(QByteArray &out, const ProjectInfoData &info)
{
    JournalFormat::appendRecord(out, JournalFormat::Record::Project,
                                payload([&info](QDataStream &s) { s << info; }));
}

void JournalEncoder::amends(QByteArray &out, const QString &path, qint64 size, qint64 modifiedMs)
{
    JournalFormat::appendRecord(out, JournalFormat::Record::Amends,
                                payload([&](QDataStream &s) { s << path << size << modifiedMs; }));
}

void JournalEncoder::continueAfter(quint32 lastSetNumber)
{
    m_lastSet.clear();
    m_lastSetNumber = 0;
    m_nextSetNumber = lastSetNumber + 1;
}

quint32 JournalEncoder::setNumber(QByteArray &out, const WifiScan &accessPoints)
{
    if (accessPoints.isEmpty())
        return 0;
    // Samples of one Wi-Fi scan share its list, so the comparison is mostly of one pointer.
    if (m_lastSetNumber != 0 && accessPoints == m_lastSet)
        return m_lastSetNumber;
    m_lastSet = accessPoints;
    m_lastSetNumber = m_nextSetNumber++;
    JournalFormat::appendRecord(out, JournalFormat::Record::WifiSet, payload([&](QDataStream &s) {
                                    s << m_lastSetNumber << accessPoints;
                                }));
    return m_lastSetNumber;
}
