#pragma once

#include "HistoryJournal.h"
#include "JournalReader.h"

#include <QObject>
#include <QTimer>
#include <memory>

// Keeps a history's crash journal in step with its changes, for a page that holds unsaved
// work: a live scan (whose journal holds every sweep), a recovered one, or a recording opened
// from a file (whose journal holds only the edits made to it). It counts the changes, so that
// the owner knows what a save covered.
//
// A journal that cannot be written does not stop anything: the owner is told once, through
// the event loop (never from within the change that failed), and the journal is started again
// with the whole history after a save and every retry interval until it can be written.
class JournalKeeper : public QObject
{
    Q_OBJECT

public:
    static constexpr int k_retryIntervalMs = 60000;

    // `history` is the owner's, read whenever the journal starts over.
    explicit JournalKeeper(const RfSpectrumHistory &history,
                           QString folder = JournalFormat::folder(), QObject *parent = nullptr);
    ~JournalKeeper() override;

    // Journal the history's changes (a live page), or not (a recording shown as it is).
    void setEnabled(bool on) { m_enabled = on; }
    bool isEnabled() const { return m_enabled; }
    // What a recording file holds besides its sweeps: what its edits change.
    struct FileEdits
    {
        QList<TimeEvent> timeEvents;
        QList<SpectroLabel> labels;
        ProjectInfoData projectInfo;
    };
    static FileEdits editsOf(const RfSpectrumHistory &history);

    // The history is a recording opened from `path`, holding `original` there: only the
    // edits made to it are journalled.
    void setAmends(const QString &path, const FileEdits &original);
    QString amends() const { return m_amends; }
    void setRetryInterval(int ms) { m_retry.setInterval(ms); }

    // Counts a change the history has just made and tells the journal, which starts with the
    // whole history when it is not open yet.
    template<typename Change> void change(Change &&tell)
    {
        ++m_revision;
        if (!m_enabled || m_broken || (m_amends.isEmpty() && isEmptyHistory()))
            return;
        // A scan's journal starts with the whole history, this change included; the journal
        // of a recording's edits starts empty and takes the change.
        if (m_journal->isOpen())
            tell(*m_journal);
        else if (start() && !m_amends.isEmpty())
            tell(*m_journal);
    }
    // Goes on with the journal a recovered history was read from. A journal damaged only at
    // its end is cut there and written on; one read past damage in its middle is replaced by
    // a new one holding the history, so that the records after the damage are never cut off.
    // A journal of edits names its recording, which held `original`.
    bool adopt(const QString &path, const JournalReader::Result &read,
               const FileEdits &original = FileEdits());

    quint64 revision() const { return m_revision; }
    // Changes since the last save (or since the history was cleared or discarded).
    bool hasUnsavedChanges() const;
    // A copy taken at `revision` was saved; the journal goes if nothing changed since. A
    // recording (not a live scan) saved to `path` is from now on that file's edits.
    void markSaved(quint64 revision, const QString &path = QString(),
                   const RfSpectrumHistory *saved = nullptr);
    // The unsaved changes are given up: the journal is deleted.
    void discard();
    // The history was cleared: a new run, saved as far as it goes.
    void reset();

    HistoryJournal *journal() const { return m_journal.get(); }
    // Unsaved work that the journal cannot keep at the moment (or a journal started again that
    // has not shown yet that it can be written), and why.
    bool isBroken() const { return m_broken || m_confirm.isActive(); }
    QString problem() const { return m_problem; }

Q_SIGNALS:
    // The journal cannot be written: the unsaved work is not safe from a crash.
    void failed(const QString &reason);
    // The journal is written again, with everything unsaved.
    void resumed();

private:
    bool isEmptyHistory() const;
    // Starts the journal with the whole history (or the file it amends); false when it cannot.
    bool start();
    // Starts the journal afresh with everything unsaved: the whole history, or the edits that
    // turn the file's state into the history's.
    bool startOver();
    void breakWith(const QString &reason);
    void retry();
    // Nothing more to try: the journal is written, or there is nothing unsaved to keep.
    void settle();

    const RfSpectrumHistory &m_history;
    std::unique_ptr<HistoryJournal> m_journal;
    QString m_amends;
    FileEdits m_original;
    bool m_enabled = false;
    bool m_broken = false;
    QString m_problem;
    quint64 m_revision = 0;
    quint64 m_savedRevision = 0;
    QTimer m_retry;
    // Watches a journal started again until what it was given is on the disk.
    QTimer m_confirm;
};
