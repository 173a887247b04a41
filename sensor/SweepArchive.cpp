#include "SweepArchive.h"

#include "NumberedJournal.h"
#include "SensorLog.h"
#include "data/AppVersion.h"
#include "data/Constants.h"
#include "data/HistoryJournal.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSet>
#include <limits>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

const QString k_journalFolder = QStringLiteral("journal");

qint64 systemFreeBytes(const QString &folder)
{
    struct statvfs info = {};
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0)
        return std::numeric_limits<qint64>::max();
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

} // namespace

SweepArchive::SweepArchive(Options options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_index(m_options.folder)
    , m_files(m_index, m_cache, m_options.sensorId, m_options.keepHours)
    , m_held(m_options.memoryBytes)
{
    if (!m_options.freeBytes)
        m_options.freeBytes = [folder = m_options.folder] { return systemFreeBytes(folder); };
    connect(&m_cache, &SegmentCache::loaded, this, &SweepArchive::onLoaded);
    m_checkTimer.setInterval(k_checkIntervalMs);
    connect(&m_checkTimer, &QTimer::timeout, this, &SweepArchive::checkStorage);
    m_marksTimer.setInterval(k_marksIntervalMs);
    connect(&m_marksTimer, &QTimer::timeout, this, [this] {
        if (m_marksDirty && m_index.writeMarks())
            m_marksDirty = false;
    });
}

SweepArchive::~SweepArchive()
{
    close();
}

bool SweepArchive::open(QString *error)
{
    const QString folder = m_options.folder;
    if (!QDir().mkpath(QDir(folder).filePath(k_journalFolder))) {
        *error = tr("the data folder %1 cannot be made").arg(folder);
        return false;
    }
    // A venue's recordings are nobody else's business on a shared computer.
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!m_index.lock(error))
        return false;
    if (!m_index.load(error)) {
        m_index.unlock();
        return false;
    }
    recoverEarlierRuns();

    m_nextSeq = std::max(m_index.nextSeqFloor, m_index.reservedEnd);
    if (!m_index.segments.isEmpty())
        m_nextSeq = std::max(m_nextSeq, m_index.segments.last().end());
    m_durableEnd = m_nextSeq;
    // The numbers reserved by an earlier run are given up in the index before the marks let
    // them go.
    m_index.nextSeqFloor = m_nextSeq;
    m_index.publishedEnd = std::min(m_index.publishedEnd, m_nextSeq);
    m_index.reservedEnd = 0;
    if (!saveIndex() || !m_index.writeMarks()) {
        *error = tr("the data folder %1 cannot be written").arg(folder);
        return false;
    }
    m_checkTimer.start();
    m_marksTimer.start();
    checkStorage();
    return true;
}

// The journals of earlier runs hold what they hold: one that a killed run left ends where its
// last whole record ends, and every sweep before that is kept, with its number.
void SweepArchive::recoverEarlierRuns()
{
    QSet<QString> indexed;
    QList<ArchiveSegment> kept;
    for (ArchiveSegment segment : qAsConst(m_index.segments)) {
        indexed.insert(segment.file);
        if (segment.isJournal()) {
            const JournalReader::Result read = NumberedJournal::read(m_index.path(segment));
            if (!read.damage.isEmpty())
                qCWarning(lcSensor).noquote()
                    << QStringLiteral("Journal %1: %2").arg(segment.file, read.damage);
            const quint64 sweeps = read.isReadable() ? quint64(read.sweeps) : 0;
            if (segment.open || sweeps < segment.count)
                segment.count = sweeps;
            if (segment.count == 0) {
                QFile::remove(m_index.path(segment));
                continue;
            }
            segment.startMs = read.firstSweepMs;
            segment.endMs = read.lastSweepMs;
            m_cache.insert(segment.first, read.history);
        } else if (!QFile::exists(m_index.path(segment))) {
            qCWarning(lcSensor).noquote()
                << "Recording" << segment.file << "is missing; its sweeps are no longer kept";
            continue;
        }
        segment.open = false;
        kept.append(segment);
    }
    m_index.segments = kept;
    // A journal made just before a run ended, before the index named it, holds nothing.
    const QDir journals(QDir(m_options.folder).filePath(k_journalFolder));
    const QStringList names = journals.entryList({QStringLiteral("*.journal")}, QDir::Files);
    for (const QString &name : names) {
        if (indexed.contains(k_journalFolder + QLatin1Char('/') + name))
            continue;
        if (NumberedJournal::read(journals.filePath(name), true).sweeps == 0)
            QFile::remove(journals.filePath(name));
        else
            qCWarning(lcSensor).noquote() << "Journal" << name << "is not in the index; left alone";
    }
}

void SweepArchive::close()
{
    if (!m_index.isLocked())
        return;
    m_checkTimer.stop();
    m_marksTimer.stop();
    // Sweeps held in memory go to disk if they can now.
    if (m_full && m_options.freeBytes() >= m_options.reserveBytes)
        leaveFull();
    closeSegment();
    m_files.finish();
    m_index.writeMarks();
    m_cache.clear();
    m_index.unlock();
}

quint64 SweepArchive::append(const SensorBand &band, qint64 timestamp, const RfSpectrumScan &scan)
{
    const quint64 seq = m_nextSeq++;
    RfSpectrumSample sample;
    sample.timestamp = timestamp;
    sample.scan = scan;
    if (!m_full
        && (!m_journal || band != m_openBand || timestamp >= m_rotateAtMs
            || timestamp < m_index.segments.last().endMs)) {
        closeSegment();
        if (!beginSegment(band, seq, timestamp))
            enterFull(m_fullReason);
    }
    if (m_full) {
        m_held.add(seq, band, sample);
        return seq;
    }
    ArchiveSegment &segment = m_index.segments.last();
    ++segment.count;
    segment.endMs = timestamp;
    m_open.samples.append(sample);
    m_journal->appendSample(sample);
    return seq;
}

void SweepArchive::sync()
{
    if (m_journal && !m_journal->flush())
        onJournalFailed(m_journal->errorString());
    if (m_full && !reserve())
        return;
    if (m_durableEnd == m_nextSeq)
        return;
    m_durableEnd = m_nextSeq;
    emit durableAdvanced();
}

bool SweepArchive::beginSegment(const SensorBand &band, quint64 first, qint64 timestamp)
{
    m_open = emptyHistory(band);
    auto journal
        = std::make_unique<HistoryJournal>(QDir(m_options.folder).filePath(k_journalFolder));
    if (!journal->begin(m_open, AppVersion::text())) {
        m_fullReason = journal->errorString();
        return false;
    }
    ArchiveSegment segment;
    segment.first = first;
    segment.band = band.mhz;
    segment.startMs = segment.endMs = timestamp;
    segment.file = QDir(m_options.folder).relativeFilePath(journal->path());
    segment.open = true;
    m_index.segments.append(segment);
    // The index names the journal before any sweep goes into it.
    if (!saveIndex()) {
        m_index.segments.removeLast();
        journal->discard();
        m_fullReason = tr("the index of the data folder cannot be written");
        return false;
    }
    connect(journal.get(), &HistoryJournal::failed, this, &SweepArchive::onJournalFailed);
    m_journal = std::move(journal);
    m_openBand = band;
    m_rotateAtMs = (timestamp / k_hourMs + 1) * k_hourMs;
    return true;
}

void SweepArchive::closeSegment(bool failed)
{
    if (!m_journal)
        return;
    m_journal->close();
    const QString path = m_journal->path();
    m_journal.reset();
    ArchiveSegment &segment = m_index.segments.last();
    segment.open = false;
    const int journalled
        = failed ? NumberedJournal::read(path, true).sweeps : m_open.samples.size();
    if (journalled < m_open.samples.size()) {
        // Only what the journal holds stays in it; the rest waits in memory.
        for (int i = journalled; i < m_open.samples.size(); ++i)
            m_held.add(segment.first + quint64(i), m_openBand, m_open.samples.at(i));
        segment.count = quint64(journalled);
        m_open.samples = SampleStore::fromList(m_open.samples.toList(0, journalled));
    }
    if (segment.count == 0) {
        QFile::remove(path);
        m_index.segments.removeLast();
    } else {
        m_cache.insert(segment.first, m_open);
        m_index.nextSeqFloor = std::max(m_index.nextSeqFloor, segment.end());
    }
    m_open = RfSpectrumHistory();
    saveIndex();
    m_files.convertNext();
}

bool SweepArchive::reserve()
{
    if (m_index.reservedEnd >= m_nextSeq)
        return true;
    m_index.reservedEnd = m_nextSeq + k_reserveStep;
    if (m_index.writeMarks())
        return true;
    m_index.reservedEnd = 0;
    qCWarning(lcSensor) << "Sequence numbers cannot be reserved in" << m_options.folder;
    return false;
}

void SweepArchive::enterFull(const QString &reason)
{
    closeSegment();
    if (m_full)
        return;
    m_full = true;
    m_fullReason = reason;
    qCWarning(lcSensor).noquote() << "The data folder" << m_options.folder
                                  << "takes no more sweeps:" << reason
                                  << "- the newest are held in memory";
    emit storageChanged(true, reason);
}

void SweepArchive::leaveFull()
{
    // Each held run becomes a segment of its own; the last stays open for what follows.
    while (!m_held.isEmpty()) {
        const HeldSweeps::Run &run = m_held.runs().first();
        if (!beginSegment(run.band, run.first, run.samples.first().timestamp))
            return;
        for (const RfSpectrumSample &sample : run.samples) {
            m_open.samples.append(sample);
            m_journal->appendSample(sample);
        }
        ArchiveSegment &segment = m_index.segments.last();
        segment.count = quint64(run.samples.size());
        segment.endMs = run.samples.last().timestamp;
        if (!m_journal->flush()) {
            m_fullReason = m_journal->errorString();
            m_journal->discard();
            m_journal.reset();
            m_index.segments.removeLast();
            saveIndex();
            return;
        }
        const HeldSweeps::Run moved = m_held.takeFirst();
        if (!m_held.isEmpty() || moved.end() != m_nextSeq)
            closeSegment();
    }
    m_full = false;
    m_index.reservedEnd = 0;
    m_index.writeMarks();
    qCInfo(lcSensor).noquote() << "The data folder" << m_options.folder << "takes sweeps again";
    emit storageChanged(false, QString());
}

void SweepArchive::onJournalFailed(const QString &reason)
{
    if (!m_journal)
        return;
    closeSegment(true);
    enterFull(reason);
}

void SweepArchive::checkStorage()
{
    m_files.deleteExpired(QDateTime::currentMSecsSinceEpoch());
    m_files.convertNext();
    const bool roomy = m_options.freeBytes() >= m_options.reserveBytes;
    if (!m_full && !roomy)
        enterFull(
            tr("less than %1 free").arg(QLocale::c().formattedDataSize(m_options.reserveBytes)));
    else if (m_full && roomy)
        leaveFull();
}

void SweepArchive::onLoaded(quint64 first, const QString &path, const QString &problem)
{
    if (!problem.isEmpty()) {
        const auto found
            = std::find_if(m_index.segments.cbegin(), m_index.segments.cend(),
                           [first](const ArchiveSegment &s) { return s.first == first; });
        // A file that is still the segment's and cannot be read: its sweeps are no longer
        // kept. (One replaced meanwhile by its recording is read again when asked.)
        if (found != m_index.segments.cend() && m_index.path(*found) == path) {
            qCWarning(lcSensor).noquote() << path << "cannot be read:" << problem;
            m_cache.insert(first, RfSpectrumHistory());
        }
    }
    emit dataLoaded();
}

QList<SweepArchive::Range> SweepArchive::ranges() const
{
    QList<Range> list;
    for (int i = 0; i < m_index.segments.size(); ++i)
        list.append({m_index.segments.at(i).first, m_index.segments.at(i).count, false, i});
    const QList<HeldSweeps::Run> &held = m_held.runs();
    for (int i = 0; i < held.size(); ++i)
        list.append({held.at(i).first, quint64(held.at(i).samples.size()), true, i});
    return list;
}

quint64 SweepArchive::firstKeptSeq() const
{
    const QList<Range> list = ranges();
    return list.isEmpty() ? m_nextSeq : list.first().first;
}

quint64 SweepArchive::keptCount(quint64 from, quint64 end) const
{
    quint64 count = 0;
    const QList<Range> list = ranges();
    for (const Range &range : list) {
        const quint64 a = std::max(from, range.first);
        const quint64 b = std::min(end, range.first + range.count);
        if (b > a)
            count += b - a;
    }
    return count;
}

void SweepArchive::setPublishedEnd(quint64 end)
{
    if (end != m_index.publishedEnd) {
        m_index.publishedEnd = end;
        m_marksDirty = true;
    }
}

SweepArchive::Fetch SweepArchive::fetch(quint64 from, quint64 end, int maxCount, SweepBatch *batch)
{
    *batch = SweepBatch();
    const QList<Range> list = ranges();
    for (const Range &range : list) {
        const quint64 rangeEnd = range.first + range.count;
        if (rangeEnd <= from)
            continue;
        if (range.first >= end)
            return Fetch::None;
        const quint64 start = std::max(from, range.first);
        const quint64 wanted
            = std::min<quint64>(std::min(rangeEnd, end) - start, quint64(maxCount));
        const int offset = int(start - range.first);
        if (range.held) {
            const HeldSweeps::Run &run = m_held.runs().at(range.index);
            batch->band = run.band;
            batch->firstSeq = start;
            for (int i = 0; i < int(wanted); ++i) {
                const RfSpectrumSample &sample = run.samples.at(offset + i);
                batch->append(sample.timestamp, sample.scan.constData());
            }
            return Fetch::Ready;
        }
        const ArchiveSegment &segment = m_index.segments.at(range.index);
        const RfSpectrumHistory *history = &m_open;
        if (!segment.open) {
            history = m_cache.find(segment.first);
            if (!history) {
                m_cache.request(segment.first, m_index.path(segment));
                return Fetch::Loading;
            }
        }
        const SensorBand band = SensorBand::of(segment.band);
        const SampleStore &samples = history->samples;
        // A file that holds fewer sweeps than it should (or none it can read) leaves a hole.
        const int count = int(std::min<qint64>(qint64(wanted), samples.size() - offset));
        if (count <= 0 || samples.columns() != band.steps)
            continue;
        batch->band = band;
        batch->firstSeq = start;
        for (int i = 0; i < count; ++i)
            batch->append(samples.timestamp(offset + i), samples.values(offset + i));
        return Fetch::Ready;
    }
    return Fetch::None;
}

bool SweepArchive::saveIndex()
{
    QString error;
    if (m_index.save(&error))
        return true;
    qCWarning(lcSensor).noquote() << "The index of" << m_options.folder << "not written:" << error;
    return false;
}

RfSpectrumHistory SweepArchive::emptyHistory(const SensorBand &band) const
{
    RfSpectrumHistory history;
    history.freqInterval = band.frequencyInterval();
    history.rssiInterval = QwtInterval(Constants::k_nominalMinRssi, Constants::k_nominalMaxRssi);
    history.projectInfo.projectId = m_options.sensorId;
    history.projectInfo.scanLocation = m_options.sensorName;
    return history;
}
