#include "JournalKeeper.h"

#include "AppVersion.h"
#include "DataLog.h"

#include <QFile>

JournalKeeper::JournalKeeper(const RfSpectrumHistory &history, QString folder, QObject *parent)
    : QObject(parent)
    , m_history(history)
    , m_journal(std::make_unique<HistoryJournal>(std::move(folder)))
{
    // Tests and the soak run shorten the wait.
    const int retryMs = qEnvironmentVariableIntValue("QUORVEX_JOURNAL_RETRY_MS");
    m_retry.setInterval(retryMs > 0 ? retryMs : k_retryIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &JournalKeeper::retry);
    m_confirm.setInterval(100);
    connect(&m_confirm, &QTimer::timeout, this, [this] {
        if (!m_journal->isCaughtUp())
            return;
        qCInfo(lcData).noquote() << "Journal written again:" << m_journal->path();
        settle();
    });
    connect(m_journal.get(), &HistoryJournal::failed, this, &JournalKeeper::breakWith);
}

JournalKeeper::~JournalKeeper() = default;

JournalKeeper::FileEdits JournalKeeper::editsOf(const RfSpectrumHistory &history)
{
    return {history.timeEvents, history.labels, history.projectInfo};
}

void JournalKeeper::setAmends(const QString &path, const FileEdits &original)
{
    m_amends = path;
    m_original = original;
    m_enabled = true;
}

bool JournalKeeper::isEmptyHistory() const
{
    return m_history.samples.isEmpty();
}

bool JournalKeeper::start()
{
    const bool started = m_amends.isEmpty()
        ? m_journal->begin(m_history, AppVersion::text())
        : m_journal->beginAmendment(m_history, m_amends, AppVersion::text());
    if (!started) {
        // Told once the change that wanted it is over.
        const QString reason = m_journal->errorString();
        m_broken = true;
        QMetaObject::invokeMethod(
            this, [this, reason] { breakWith(reason); }, Qt::QueuedConnection);
    }
    return started;
}

void JournalKeeper::breakWith(const QString &reason)
{
    m_confirm.stop();
    m_broken = true;
    m_problem = reason;
    if (!m_retry.isActive())
        m_retry.start();
    emit failed(reason);
}

void JournalKeeper::retry()
{
    if (!m_broken) {
        m_retry.stop();
        return;
    }
    // What the broken journal holds, the history holds too: it goes, and a new one starts.
    m_journal->discard();
    m_broken = false;
    if (!hasUnsavedChanges()) {
        settle();
        return;
    }
    if (!startOver())
        return; // told again through breakWith; the timer runs on
    // Resumed once the new journal holds what it was given; a failure meanwhile breaks it again.
    m_retry.stop();
    m_confirm.start();
}

void JournalKeeper::settle()
{
    const bool wasBroken = isBroken();
    m_retry.stop();
    m_confirm.stop();
    m_broken = false;
    m_problem.clear();
    if (wasBroken)
        emit resumed();
}

bool JournalKeeper::startOver()
{
    if (!start())
        return false;
    if (m_amends.isEmpty())
        return true;
    // Replayed on the file, the removals leave its sweeps alone and the additions give the
    // events and labels the history holds now.
    for (const TimeEvent &event : qAsConst(m_original.timeEvents))
        m_journal->removeTimeEvent(event);
    for (const SpectroLabel &label : qAsConst(m_original.labels))
        m_journal->removeLabel(label);
    for (const TimeEvent &event : m_history.timeEvents)
        m_journal->addTimeEvent(event);
    for (const SpectroLabel &label : m_history.labels)
        m_journal->addLabel(label);
    if (m_history.projectInfo != m_original.projectInfo)
        m_journal->setProjectInfo(m_history.projectInfo);
    return true;
}

bool JournalKeeper::adopt(const QString &path, const JournalReader::Result &read,
                          const FileEdits &original)
{
    m_enabled = true;
    m_amends = read.amendedPath;
    m_original = original;
    // Unsaved from the start.
    m_savedRevision = m_revision++;
    if (!read.readPastDamage)
        return m_journal->adopt(path, read.validBytes, read.lastSetNumber);
    // The damaged file goes only once its replacement is on the disk.
    if (!startOver() || !m_journal->flush())
        return false;
    QFile::remove(path);
    return true;
}

bool JournalKeeper::hasUnsavedChanges() const
{
    if (!m_enabled || m_revision == m_savedRevision)
        return false;
    return !m_amends.isEmpty() || !isEmptyHistory();
}

void JournalKeeper::markSaved(quint64 revision, const QString &path, const RfSpectrumHistory *saved)
{
    m_savedRevision = revision;
    if (!path.isEmpty() && saved && revision == m_revision)
        setAmends(path, editsOf(*saved));
    if (revision == m_revision) {
        // Nothing left to keep: whatever was wrong with the journal no longer matters.
        m_journal->discard();
        settle();
    } else if (m_broken) {
        // A save is a moment to try a broken journal again.
        retry();
    }
}

void JournalKeeper::discard()
{
    m_journal->discard();
    m_savedRevision = m_revision;
    settle();
}

void JournalKeeper::reset()
{
    m_journal->discard();
    m_savedRevision = ++m_revision;
    settle();
}
