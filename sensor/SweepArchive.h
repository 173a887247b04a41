#pragma once

#include "ArchiveIndex.h"
#include "HeldSweeps.h"
#include "SegmentCache.h"
#include "SegmentFiles.h"
#include "SweepBatch.h"
#include "data/RfSpectrumHistory.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class HistoryJournal;

// A sensor's sweeps on its own disk, numbered. Every sweep gets the next sequence number and
// goes into the journal of the open segment (the program's journal format); sync() makes what
// was appended durable, and only durable sweeps are published. A segment ends at the full hour
// (UTC), at a band switch, when the clock steps back and when the sensor stops; then its
// journal becomes a recording (SegmentFiles).
//
// When the folder runs out of space (less than the reserve free once the expired recordings
// are gone) or cannot be written, the sensor goes on: new sweeps are held in memory up to a
// bound (HeldSweeps), still numbered and published, with the numbers given reserved on disk
// first; once there is room again they are journalled.
//
// Any kept sweep can be read back by sequence number (fetch), from memory or, for older
// segments, from their files (read on a thread of the pool, see SegmentCache).
class SweepArchive : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 k_hourMs = 3600000;
    static constexpr qint64 k_reserveBytes = qint64(64) << 20;
    static constexpr qint64 k_memoryBytes = qint64(64) << 20;
    static constexpr int k_checkIntervalMs = 30000;
    static constexpr int k_marksIntervalMs = 1000;
    // Sequence numbers reserved at a time while sweeps are held in memory.
    static constexpr quint64 k_reserveStep = 1024;

    struct Options
    {
        QString folder;
        QString sensorId;
        QString sensorName;
        int keepHours = 72;
        qint64 reserveBytes = k_reserveBytes;
        qint64 memoryBytes = k_memoryBytes;
        // Bytes free in the folder's file system (the system's figure by default).
        std::function<qint64()> freeBytes;
    };

    enum class Fetch { Ready, Loading, None };

    explicit SweepArchive(Options options, QObject *parent = nullptr);
    ~SweepArchive() override;

    // Takes the folder (made if missing, owner only; locked against a second sensor), reads
    // what earlier runs left and closes their last segment. False, with *error, when it
    // cannot.
    bool open(QString *error);
    // Closes the open segment (its journal stays, and becomes a recording at the next start)
    // and writes the marks.
    void close();

    // Numbers and keeps a sweep; returns its sequence number.
    quint64 append(const SensorBand &band, qint64 timestamp, const RfSpectrumScan &scan);
    // Waits until everything appended is on the disk (or reserved, while held in memory).
    void sync();

    quint64 nextSeq() const { return m_nextSeq; }
    // Sweeps below this sequence number are durable.
    quint64 durableEnd() const { return m_durableEnd; }
    // The oldest sequence number kept; nextSeq() when none is.
    quint64 firstKeptSeq() const;
    // How many sweeps of [from, end) are kept.
    quint64 keptCount(quint64 from, quint64 end) const;
    // Sweeps below this were published (a mark kept across runs).
    quint64 publishedEnd() const { return m_index.publishedEnd; }
    void setPublishedEnd(quint64 end);
    bool isFull() const { return m_full; }
    QString folder() const { return m_options.folder; }

    // The kept sweeps from the first at or after `from`, below `end`, as long as they run on
    // in one band and one segment, at most `maxCount`. Loading: they are being read from disk
    // (dataLoaded() follows). None: no kept sweep lies in [from, end).
    Fetch fetch(quint64 from, quint64 end, int maxCount, SweepBatch *batch);

    // What a timer does every k_checkIntervalMs: expired recordings, journals still to be
    // turned into recordings, and the free space.
    void checkStorage();

Q_SIGNALS:
    void durableAdvanced();
    void dataLoaded();
    // The folder filled up (or failed), or has room again; the reason in words.
    void storageChanged(bool full, const QString &reason);

private:
    // Kept sweeps in sequence order: a segment (by index) or a held run.
    struct Range
    {
        quint64 first;
        quint64 count;
        bool held;
        int index;
    };

    QList<Range> ranges() const;
    bool beginSegment(const SensorBand &band, quint64 first, qint64 timestamp);
    // Ends the open segment; with `failed`, only what its journal holds stays in it and the
    // rest is held in memory.
    void closeSegment(bool failed = false);
    bool reserve();
    void enterFull(const QString &reason);
    void leaveFull();
    void onJournalFailed(const QString &reason);
    void onLoaded(quint64 first, const QString &path, const QString &problem);
    void recoverEarlierRuns();
    bool saveIndex();
    RfSpectrumHistory emptyHistory(const SensorBand &band) const;

    Options m_options;
    ArchiveIndex m_index;
    SegmentCache m_cache;
    SegmentFiles m_files;
    HeldSweeps m_held;
    std::unique_ptr<HistoryJournal> m_journal;
    SensorBand m_openBand;
    RfSpectrumHistory m_open;
    qint64 m_rotateAtMs = 0;
    quint64 m_nextSeq = 0;
    quint64 m_durableEnd = 0;
    bool m_full = false;
    QString m_fullReason;
    bool m_marksDirty = false;
    QTimer m_checkTimer;
    QTimer m_marksTimer;
};
