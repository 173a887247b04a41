#pragma once

#include "data/RfSpectrumHistory.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>

// The sweeps of a few segments of a sensor's data folder in memory, for publishing a backlog
// or a replay from them: the segments closed last (handed over as they close) and those read
// from their files when asked. A file is read on a thread of the pool, one at a time; the
// least recently used segment makes room.
class SegmentCache : public QObject
{
    Q_OBJECT

public:
    static constexpr int k_entries = 2;

    explicit SegmentCache(QObject *parent = nullptr);
    ~SegmentCache() override;

    // The history of the segment that begins at sequence number `first`, or null.
    const RfSpectrumHistory *find(quint64 first);
    void insert(quint64 first, const RfSpectrumHistory &history);
    void remove(quint64 first);
    void clear();

    // Starts reading the segment's file (a journal or a recording) unless a reading runs.
    void request(quint64 first, const QString &path);
    bool isLoading() const { return m_watcher.isRunning(); }
    bool isLoading(const QString &path) const { return isLoading() && m_loadingPath == path; }

Q_SIGNALS:
    // A reading ended: its history is in the cache when `problem` is empty.
    void loaded(quint64 first, const QString &path, const QString &problem);

private:
    struct Loaded
    {
        RfSpectrumHistory history;
        QString problem;
    };
    struct Entry
    {
        quint64 first;
        RfSpectrumHistory history;
    };

    void onFinished();

    QList<Entry> m_entries; // most recently used first
    QFutureWatcher<Loaded> m_watcher;
    quint64 m_loadingFirst = 0;
    QString m_loadingPath;
};
