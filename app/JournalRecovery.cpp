#include "JournalRecovery.h"

#include "AppLog.h"
#include "data/HistoryJournal.h"
#include "data/JournalReader.h"
#include "data/RecordingFile.h"
#include "pages/TabPage.h"
#include "widgets/UserPrompts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("JournalRecovery", text);
}

QString titleOf(const JournalReader::Result &journal)
{
    const bool band900 = RecordingFile::bandOf(journal.history) == RecordingFile::Band::Band900MHz;
    return tr("Recovered %1 %2")
        .arg(band900 ? tr("900 MHz") : tr("2.4 GHz"),
             QDateTime::fromMSecsSinceEpoch(journal.firstSweepMs)
                 .toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

} // namespace

int JournalRecovery::offer(QWidget *parent, UserPrompts &prompts, const PageOpener &open,
                           const QString &folder)
{
    QList<JournalReader::Entry> left;
    for (const JournalReader::Entry &entry : JournalReader::list(folder)) {
        if (entry.inUse)
            continue;
        const JournalReader::Result &summary = entry.summary;
        // Only a journal that was read and found to hold nothing goes without a word: a run
        // that ended within its first moments wrote its header at most. One that cannot be
        // opened (another user's, say) is never taken for empty.
        const bool empty = !entry.unopened
            && (summary.isReadable() ? !summary.holdsWork() : summary.fileBytes < 128);
        if (empty) {
            QFile::remove(entry.path);
            continue;
        }
        if (!summary.isReadable())
            qCWarning(lcApp).noquote()
                << "Not a journal the program can read:" << QDir::toNativeSeparators(entry.path)
                << summary.problem;
        left.append(entry);
    }
    if (left.isEmpty())
        return 0;

    const UserPrompts::RecoveryAnswer answer = prompts.askRecovery(parent, left);
    int recovered = 0;
    for (const int row : answer.rows) {
        if (row < 0 || row >= left.size())
            continue;
        const QString &path = left.at(row).path;
        const QString name = QDir::toNativeSeparators(path);
        if (answer.action == UserPrompts::RecoveryAnswer::Action::Discard) {
            QFile file(path);
            if (!file.remove())
                prompts.warning(parent, tr("Scan not discarded"),
                                tr("%1 cannot be deleted: %2.").arg(name, file.errorString()));
            continue;
        }
        if (answer.action == UserPrompts::RecoveryAnswer::Action::Recover
            && recover(parent, prompts, open, path))
            ++recovered;
    }
    return recovered;
}

bool JournalRecovery::recover(QWidget *parent, UserPrompts &prompts, const PageOpener &open,
                              const QString &path)
{
    const QString name = QDir::toNativeSeparators(path);
    const JournalReader::Recovered recovered = JournalReader::readForRecovery(path);
    const JournalReader::Result &journal = recovered.journal;
    if (!journal.isReadable()) {
        prompts.critical(parent, tr("Error"),
                         tr("Unable to recover %1: %2. It is kept.").arg(name, journal.problem));
        return false;
    }
    if (recovered.recordingChanged)
        prompts.warning(parent, tr("Recording changed"),
                        tr("%1 has changed since the edits were made; they are applied to it "
                           "as it is now.")
                            .arg(QDir::toNativeSeparators(journal.amendedPath)));
    const QString title = journal.isAmendment()
        ? tr("Recovered %1").arg(QFileInfo(journal.amendedPath).completeBaseName())
        : titleOf(journal);
    TabPage *page = open(journal.history, title);
    if (!page)
        return false;
    if (!page->adoptJournal(path, journal, JournalKeeper::editsOf(recovered.recording)))
        prompts.warning(parent, tr("Scan recovered"),
                        tr("%1 is shown, but its journal cannot be kept up: %2. Save it now.")
                            .arg(title, page->journal()->errorString()));
    if (!journal.damage.isEmpty())
        prompts.warning(
            parent, tr("Scan recovered in part"),
            journal.readPastDamage
                ? tr("%1 holds everything that could be read: %2.").arg(title, journal.damage)
                : tr("%1 holds everything before the damage: %2.").arg(title, journal.damage));
    return true;
}
