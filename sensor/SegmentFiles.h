#pragma once

#include <QObject>
#include <QStringList>

class ArchiveIndex;
class QFutureWatcherBase;
class SegmentCache;

// The files of a sensor's closed segments: each journal turned into the recording
// "<id>_<band>_<start>.tarn" (start: the first sweep, UTC) on a thread of the pool, one at a
// time, after which the index names the recording and the journal goes; and the segments that
// ended more than keep-hours ago deleted, oldest first.
class SegmentFiles : public QObject
{
    Q_OBJECT

public:
    SegmentFiles(ArchiveIndex &index, SegmentCache &cache, QString sensorId, int keepHours,
                 QObject *parent = nullptr);
    ~SegmentFiles() override;

    // Starts turning the oldest closed journal into a recording, unless one is being turned.
    void convertNext();
    // Waits for the conversion that runs and records its outcome; no other starts after it.
    void finish();
    // Deletes what ended before keep-hours ago; true when anything went.
    bool deleteExpired(qint64 nowMs);

private:
    void onConverted(quint64 first, const QString &journal, const QString &recording,
                     const QString &problem);
    // "<id>_<band>_<start>", the recording's name without its suffix.
    QString baseName(int band, qint64 startMs) const;
    bool saveIndex();

    ArchiveIndex &m_index;
    SegmentCache &m_cache;
    const QString m_sensorId;
    const int m_keepHours;
    QFutureWatcherBase *m_running = nullptr;
    bool m_finishing = false;
    QStringList m_deleteAfterLoad;
};
