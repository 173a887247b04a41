#include "SegmentCache.h"

#include "NumberedJournal.h"
#include "data/RecordingFile.h"

#include <QFile>
#include <QtConcurrent>

SegmentCache::SegmentCache(QObject *parent)
    : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcher<Loaded>::finished, this, &SegmentCache::onFinished);
}

SegmentCache::~SegmentCache()
{
    m_watcher.waitForFinished();
}

const RfSpectrumHistory *SegmentCache::find(quint64 first)
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).first != first)
            continue;
        if (i > 0)
            m_entries.move(i, 0);
        return &m_entries.first().history;
    }
    return nullptr;
}

void SegmentCache::insert(quint64 first, const RfSpectrumHistory &history)
{
    remove(first);
    m_entries.prepend({first, history});
    while (m_entries.size() > k_entries)
        m_entries.removeLast();
}

void SegmentCache::remove(quint64 first)
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).first == first) {
            m_entries.removeAt(i);
            return;
        }
    }
}

void SegmentCache::clear()
{
    m_entries.clear();
}

void SegmentCache::request(quint64 first, const QString &path)
{
    if (isLoading())
        return;
    m_loadingFirst = first;
    m_loadingPath = path;
    m_watcher.setFuture(QtConcurrent::run([path] {
        Loaded loaded;
        if (path.endsWith(QLatin1String(".journal"))) {
            JournalReader::Result result = NumberedJournal::read(path);
            loaded.problem = result.problem;
            loaded.history = result.history;
        } else {
            QFile file(path);
            RecordingFile::Integrity integrity = RecordingFile::Integrity::Whole;
            loaded.problem = RecordingFile::load(file, loaded.history, nullptr, &integrity);
        }
        return loaded;
    }));
}

void SegmentCache::onFinished()
{
    const Loaded result = m_watcher.result();
    const quint64 first = m_loadingFirst;
    const QString path = m_loadingPath;
    m_loadingPath.clear();
    if (result.problem.isEmpty())
        insert(first, result.history);
    emit loaded(first, path, result.problem);
}
