#include "SegmentFiles.h"

#include "ArchiveIndex.h"
#include "NumberedJournal.h"
#include "SegmentCache.h"
#include "SensorLog.h"
#include "data/RecordingFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QtConcurrent>

namespace {

constexpr qint64 k_hourMs = 3600000;

} // namespace

SegmentFiles::SegmentFiles(ArchiveIndex &index, SegmentCache &cache, QString sensorId,
                           int keepHours, QObject *parent)
    : QObject(parent)
    , m_index(index)
    , m_cache(cache)
    , m_sensorId(std::move(sensorId))
    , m_keepHours(keepHours)
{
    // A journal that a reading still needed when its recording was done goes once it is read.
    connect(&m_cache, &SegmentCache::loaded, this, [this](quint64, const QString &path) {
        if (m_deleteAfterLoad.removeAll(path) > 0)
            QFile::remove(path);
    });
}

SegmentFiles::~SegmentFiles()
{
    finish();
}

namespace {

using Converted = QPair<QString, QString>; // the recording, and why it could not be written

// Whether the recording at `path` holds the sweeps of `history` (one a run wrote before it
// could note it in the index).
bool holdsSame(const QString &path, const RfSpectrumHistory &history)
{
    QFile file(path);
    RfSpectrumHistory read;
    const SampleStore &samples = history.samples;
    return RecordingFile::load(file, read).isEmpty() && read.samples.size() == samples.size()
        && !samples.isEmpty() && read.samples.timestamp(0) == samples.timestamp(0)
        && read.samples.timestamp(samples.size() - 1) == samples.timestamp(samples.size() - 1);
}

Converted convert(RfSpectrumHistory history, quint64 count, const QString &journal,
                  const QString &base)
{
    if (quint64(history.samples.size()) != count) {
        const JournalReader::Result read = NumberedJournal::read(journal);
        if (!read.isReadable())
            return {base, read.problem};
        history = read.history;
    }
    // Segments that begin in the same second (a band switched back and forth) keep apart.
    QString path = base + QStringLiteral(".tarn");
    for (int n = 2; QFile::exists(path); ++n) {
        if (holdsSame(path, history))
            return {path, QString()};
        path = QStringLiteral("%1-%2.tarn").arg(base).arg(n);
    }
    QString error;
    return {path, RecordingFile::save(path, history, &error) ? QString() : error};
}

} // namespace

void SegmentFiles::convertNext()
{
    if (m_running || m_finishing)
        return;
    for (const ArchiveSegment &segment : qAsConst(m_index.segments)) {
        if (segment.open || !segment.isJournal())
            continue;
        const RfSpectrumHistory *cached = m_cache.find(segment.first);
        const RfSpectrumHistory history = cached ? *cached : RfSpectrumHistory();
        const quint64 count = segment.count;
        const QString journal = m_index.path(segment);
        const QString base
            = QDir(m_index.folder()).filePath(baseName(segment.band, segment.startMs));
        const quint64 first = segment.first;
        auto *watcher = new QFutureWatcher<Converted>(this);
        m_running = watcher;
        connect(watcher, &QFutureWatcher<Converted>::finished, this,
                [this, watcher, first, journal] {
                    if (m_running != watcher)
                        return;
                    m_running = nullptr;
                    watcher->deleteLater();
                    const Converted result = watcher->result();
                    onConverted(first, journal, result.first, result.second);
                    convertNext();
                });
        watcher->setFuture(QtConcurrent::run(convert, history, count, journal, base));
        return;
    }
}

void SegmentFiles::finish()
{
    auto *watcher = static_cast<QFutureWatcher<Converted> *>(m_running);
    m_finishing = true;
    if (!watcher)
        return;
    watcher->waitForFinished();
    // The queued report of its end finds it done already.
    emit watcher->finished();
}

void SegmentFiles::onConverted(quint64 first, const QString &journal, const QString &recording,
                               const QString &problem)
{
    const auto found = std::find_if(m_index.segments.begin(), m_index.segments.end(),
                                    [first](const ArchiveSegment &s) { return s.first == first; });
    if (found == m_index.segments.end()) {
        // Deleted meanwhile as expired.
        QFile::remove(recording);
        return;
    }
    if (!problem.isEmpty()) {
        qCWarning(lcSensor).noquote() << "Recording" << recording << "not written:" << problem
                                      << "- the journal keeps its sweeps";
        return;
    }
    found->file = QDir(m_index.folder()).relativeFilePath(recording);
    if (!saveIndex())
        return;
    if (m_cache.isLoading(journal))
        m_deleteAfterLoad.append(journal);
    else
        QFile::remove(journal);
    qCInfo(lcSensor).noquote() << "Recording" << found->file << "written";
}

bool SegmentFiles::deleteExpired(qint64 nowMs)
{
    const qint64 limit = nowMs - qint64(m_keepHours) * k_hourMs;
    bool changed = false;
    while (!m_index.segments.isEmpty()) {
        const ArchiveSegment segment = m_index.segments.first();
        if (segment.open || segment.endMs >= limit || m_cache.isLoading(m_index.path(segment)))
            break;
        QFile::remove(m_index.path(segment));
        m_cache.remove(segment.first);
        m_index.segments.removeFirst();
        changed = true;
        qCInfo(lcSensor).noquote()
            << "Deleted" << segment.file << "(older than" << m_keepHours << "hours)";
    }
    if (changed)
        saveIndex();
    return changed;
}

QString SegmentFiles::baseName(int band, qint64 startMs) const
{
    const QString start = QDateTime::fromMSecsSinceEpoch(startMs, Qt::UTC)
                              .toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    return QStringLiteral("%1_%2_%3").arg(m_sensorId).arg(band).arg(start);
}

bool SegmentFiles::saveIndex()
{
    QString error;
    if (m_index.save(&error))
        return true;
    qCWarning(lcSensor).noquote() << "The index of" << m_index.folder() << "not written:" << error;
    return false;
}
