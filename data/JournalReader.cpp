#include "JournalReader.h"

#include "Crc32.h"
#include "HistoryJournal.h"
#include "JournalFormat.h"
#include "QwtIntervalStream.h"
#include "StreamCount.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QtEndian>
#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("JournalReader", text);
}

// Replays records onto a result; false when a record cannot be what it claims.
class Replay
{
public:
    Replay(JournalReader::Result &result, bool summaryOnly)
        : m_result(result)
        , m_summaryOnly(summaryOnly)
    { }

    bool headerSeen() const { return m_headerSeen; }

    // Reads the record whole first; only a record that is what the program writes changes
    // the result.
    bool apply(JournalFormat::Record type, const QByteArray &payload)
    {
        QDataStream in(payload);
        in.setVersion(QDataStream::Qt_5_15);
        if ((type == JournalFormat::Record::Header) == m_headerSeen)
            return false;
        const auto whole = [&in] { return in.status() == QDataStream::Ok && in.atEnd(); };
        RfSpectrumHistory &history = m_result.history;
        switch (type) {
        case JournalFormat::Record::Header: {
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
        case JournalFormat::Record::Sample:
            return sample(in) && whole() && commitSample();
        case JournalFormat::Record::WifiSet: {
            quint32 number = 0;
            WifiScan accessPoints;
            in >> number;
            StreamCount::readElements(in, accessPoints, WifiApInfo::k_minEncodedBytes);
            if (number == 0 || !whole())
                return false;
            m_sets.insert(number, accessPoints);
            m_result.lastSetNumber = std::max(m_result.lastSetNumber, number);
            return true;
        }
        case JournalFormat::Record::NewestWifi: {
            quint32 number = 0;
            in >> number;
            WifiScan accessPoints;
            if (!whole() || !set(number, &accessPoints))
                return false;
            history.samples.setNewestAccessPoints(accessPoints);
            return true;
        }
        case JournalFormat::Record::EventAdded:
        case JournalFormat::Record::EventRemoved: {
            TimeEvent event;
            in >> event;
            if (!whole())
                return false;
            if (type == JournalFormat::Record::EventAdded)
                history.timeEvents.append(event);
            else if (const int index = history.timeEvents.indexOf(event); index >= 0)
                history.timeEvents.removeAt(index);
            return true;
        }
        case JournalFormat::Record::LabelAdded:
        case JournalFormat::Record::LabelRemoved: {
            SpectroLabel label;
            in >> label;
            if (!whole())
                return false;
            if (type == JournalFormat::Record::LabelAdded)
                history.labels.append(label);
            else if (const int index = history.labels.indexOf(label); index >= 0)
                history.labels.removeAt(index);
            return true;
        }
        case JournalFormat::Record::Project: {
            ProjectInfoData info;
            in >> info;
            if (!whole())
                return false;
            history.projectInfo = info;
            return true;
        }
        }
        return false;
    }

private:
    bool set(quint32 number, WifiScan *accessPoints) const
    {
        if (number == 0) {
            accessPoints->clear();
            return true;
        }
        const auto found = m_sets.constFind(number);
        if (found == m_sets.constEnd())
            return false;
        *accessPoints = found.value();
        return true;
    }

    // Reads a sample into m_sample (its amplitudes skipped for a summary).
    bool sample(QDataStream &in)
    {
        quint32 number = 0;
        in >> m_sample.timestamp >> number;
        if (in.status() != QDataStream::Ok
            || !RfSpectrumSample::isValidTimestamp(m_sample.timestamp)
            || !set(number, &m_sample.wifiAps))
            return false;
        if (!m_summaryOnly) {
            StreamCount::readAmplitudes(in, m_sample.scan);
            return true;
        }
        qint32 count = 0;
        in >> count;
        return count >= 0 && count <= StreamCount::k_maxAmplitudes
            && in.skipRawData(count) == count;
    }

    bool commitSample()
    {
        JournalReader::Result &r = m_result;
        if (r.sweeps == 0)
            r.firstSweepMs = m_sample.timestamp;
        r.lastSweepMs = m_sample.timestamp;
        ++r.sweeps;
        if (!m_summaryOnly)
            r.history.samples.append(m_sample);
        return true;
    }

    RfSpectrumSample m_sample;
    JournalReader::Result &m_result;
    const bool m_summaryOnly;
    bool m_headerSeen = false;
    QHash<quint32, WifiScan> m_sets;
};

QString droppedWords(const JournalReader::Result &result)
{
    const qint64 dropped = result.droppedBytes();
    // How many sweeps that was about, from the size the sweeps read so far took.
    if (result.sweeps > 0 && result.validBytes > 0) {
        const qint64 perSweep = std::max<qint64>(1, result.validBytes / result.sweeps);
        return tr("%1 bytes (about %2 sweeps)")
            .arg(dropped)
            .arg((dropped + perSweep / 2) / perSweep);
    }
    return tr("%1 bytes").arg(dropped);
}

} // namespace

JournalReader::Result JournalReader::read(QIODevice &device, bool summaryOnly)
{
    Result result;
    result.fileBytes = device.size();
    if (device.read(JournalFormat::k_magic.size()) != JournalFormat::k_magic) {
        result.problem = result.fileBytes == 0 ? tr("it is empty") : tr("it is not a scan journal");
        return result;
    }
    result.validBytes = JournalFormat::k_magic.size();
    result.history.samples.deferSummaries();
    Replay replay(result, summaryOnly);
    enum class Stop { End, Torn, Damaged } stop = Stop::End;
    QString why;
    for (;;) {
        char lengthBytes[4];
        const qint64 got = device.read(lengthBytes, 4);
        if (got == 0)
            break;
        if (got < 4) {
            stop = Stop::Torn;
            break;
        }
        const quint32 bodyBytes = qFromBigEndian<quint32>(lengthBytes);
        if (bodyBytes == 0 || bodyBytes > JournalFormat::k_maxBodyBytes) {
            stop = Stop::Damaged;
            why = tr("a record's length is impossible");
            break;
        }
        // A length that runs past the end is an unfinished record, not a damaged one.
        if (result.validBytes + JournalFormat::k_frameBytes + bodyBytes > result.fileBytes) {
            stop = Stop::Torn;
            break;
        }
        const QByteArray body = device.read(bodyBytes);
        char crcBytes[4];
        if (body.size() != int(bodyBytes) || device.read(crcBytes, 4) != 4) {
            stop = Stop::Torn;
            break;
        }
        if (Crc32::of(body) != qFromBigEndian<quint32>(crcBytes)) {
            stop = Stop::Damaged;
            why = tr("a record fails its checksum");
            break;
        }
        if (!replay.apply(JournalFormat::Record(quint8(body.at(0))), body.mid(1))) {
            stop = Stop::Damaged;
            why = tr("a record's content is not what the program writes");
            break;
        }
        result.validBytes += JournalFormat::k_frameBytes + bodyBytes;
    }
    result.history.samples.completeSummaries();
    if (!replay.headerSeen()) {
        result.problem = stop == Stop::Torn ? tr("it ends before its first record is whole")
                                            : tr("its first record is damaged");
        result.history = RfSpectrumHistory();
        return result;
    }
    if (stop == Stop::Torn)
        result.damage = tr("its last record was unfinished: %1 dropped").arg(droppedWords(result));
    else if (stop == Stop::Damaged)
        result.damage = tr("it is damaged at byte %1 (%2): the %3 from there on were dropped")
                            .arg(result.validBytes)
                            .arg(why, droppedWords(result));
    return result;
}

JournalReader::Result JournalReader::read(const QString &path, bool summaryOnly)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Result result;
        result.problem = tr("it cannot be opened (%1)").arg(file.errorString());
        return result;
    }
    return read(file, summaryOnly);
}

QList<JournalReader::Entry> JournalReader::list(const QString &folder)
{
    QList<Entry> entries;
    const QDir dir(folder);
    const QStringList names
        = dir.entryList({QStringLiteral("*") + JournalFormat::suffix()}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        Entry entry;
        entry.path = dir.filePath(name);
        entry.inUse = HistoryJournal::isInUse(entry.path);
        entry.summary = read(entry.path, true);
        entries.append(entry);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.summary.createdMs > b.summary.createdMs;
    });
    return entries;
}
