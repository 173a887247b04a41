#pragma once

#include <QList>
#include <QString>

// A stretch of a sensor's sweeps with consecutive sequence numbers, all of one band, in one
// file of its data folder: the journal while it is written (and until it is turned into a
// recording), then the recording.
struct ArchiveSegment
{
    quint64 first = 0;
    quint64 count = 0;
    int band = 0; // MHz
    qint64 startMs = 0; // the first sweep's time stamp
    qint64 endMs = 0; // the last sweep's
    QString file; // relative to the data folder
    bool open = false; // the running sensor writes it

    quint64 end() const { return first + count; }
    bool isJournal() const;
};

// What a sensor's data folder says of its sweeps, kept across runs: the segments (the file
// "segments.json", replaced whole and synced at each change) and two marks in the file
// "marks", overwritten in place (so that writing them needs no new space on a full disk):
// the sequence number from which sweeps are still to be published, and a reservation, the
// sequence number below which numbers may have been published without being journalled
// (while the folder could not be written), so that they are never given again.
class ArchiveIndex
{
public:
    explicit ArchiveIndex(QString folder);
    ~ArchiveIndex();
    ArchiveIndex(const ArchiveIndex &) = delete;
    ArchiveIndex &operator=(const ArchiveIndex &) = delete;

    QString folder() const { return m_folder; }
    QString path(const ArchiveSegment &segment) const;

    // Takes the folder's lock (the file "lock"), so that no second sensor uses it. False, with
    // *error, when another holds it.
    bool lock(QString *error);
    bool isLocked() const { return m_lockFd >= 0; }
    void unlock();
    // Reads the segments and opens the marks (both empty for a new folder). False, with
    // *error, when either exists and cannot be read: starting over would give sequence
    // numbers again.
    bool load(QString *error);
    // Replaces the segments file. False with *error when it cannot be written.
    bool save(QString *error);
    // Overwrites the marks in place and syncs them; false when that fails.
    bool writeMarks();

    QList<ArchiveSegment> segments;
    // No sequence number below this is given again, whatever the segments still hold.
    quint64 nextSeqFloor = 0;
    quint64 publishedEnd = 0;
    quint64 reservedEnd = 0;

private:
    const QString m_folder;
    int m_marksFd = -1;
    int m_lockFd = -1;
};
