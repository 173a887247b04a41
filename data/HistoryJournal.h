#pragma once

#include "JournalFormat.h"
#include "RfSpectrumHistory.h"

#include <QObject>
#include <memory>

// Keeps a journal (see JournalFormat) of one history while it is not saved. The owner reports
// each change as it makes it; the change is queued at once and written by a thread of the
// journal's own, which writes and syncs what has queued up every k_flushIntervalMs. A killed
// process or a power cut therefore loses at most the last moments, and the owner's thread
// pays only for queueing a shared copy of what changed.
//
// While the journal is open the file is locked (flock), so other processes can tell a
// journal in use from one that a process left behind. Destroying the journal, or close(),
// writes what is queued and keeps the file; discard() deletes it.
class HistoryJournal : public QObject
{
    Q_OBJECT

public:
    static constexpr int k_flushIntervalMs = 500;

    explicit HistoryJournal(QString folder = JournalFormat::folder(), QObject *parent = nullptr);
    ~HistoryJournal() override;

    bool isOpen() const;
    QString path() const { return m_path; }
    // Why the journal could not be made or written, once it could not.
    QString errorString() const;
    // Bytes written to the file so far (by this object).
    qint64 bytesWritten() const;

    // Starts a new journal file holding everything `history` holds so far. False, with
    // errorString(), when the file cannot be made. The folder is made for this user alone.
    bool begin(const RfSpectrumHistory &history, const QString &programVersion);
    // Starts a journal of the edits to a recording opened from `recordingPath`, whose history
    // (without its sweeps, which the file keeps) is `history`.
    bool beginAmendment(const RfSpectrumHistory &history, const QString &recordingPath,
                        const QString &programVersion);
    // Goes on writing an existing journal after its first `validBytes` (a damaged tail is cut
    // off), numbering access-point sets after `lastSetNumber`. False when the file cannot be
    // opened or another process holds it.
    bool adopt(const QString &path, qint64 validBytes, quint32 lastSetNumber);

    void appendSample(const RfSpectrumSample &sample);
    // The newest sample's access points are replaced.
    void setNewestWifi(const WifiScan &accessPoints);
    void addTimeEvent(const TimeEvent &event);
    void removeTimeEvent(const TimeEvent &event);
    void addLabel(const SpectroLabel &label);
    void removeLabel(const SpectroLabel &label);
    void setProjectInfo(const ProjectInfoData &info);

    // Waits until everything reported so far is on the disk; false when writing failed.
    bool flush();
    // Without waiting: everything reported so far is on the disk.
    bool isCaughtUp() const;
    // Writes what is queued and closes the file, which stays.
    void close();
    // Closes the journal and deletes its file.
    void discard();

    // Whether a process (this one included) has the journal at `path` open.
    static bool isInUse(const QString &path);

Q_SIGNALS:
    // Writing the journal failed; nothing more is written to it. Always delivered through the
    // event loop, never from within a call on the journal.
    void failed(const QString &reason);

private:
    struct Writer;

    // A new file in the folder for a history of that band; -1 with errorString() when not.
    int create(const RfSpectrumHistory &history, qint64 now, QString *path);
    bool start(int fd, const QString &path);
    void reportFailure(const QString &reason);
    template<typename Op> void enqueue(Op &&op);

    const QString m_folder;
    QString m_path;
    QString m_setupError;
    std::unique_ptr<Writer> m_writer;
    // Counts the files written, so that a late failure of one gone is not taken for another's.
    quint64 m_generation = 0;
};
