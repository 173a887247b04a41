#include "JournalRecovery.h"

#include "AppLog.h"
#include "UserPrompts.h"
#include "data/HistoryJournal.h"
#include "data/JournalReader.h"
#include "data/RecordingFile.h"
#include "pages/TabPage.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>

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
        // A run that ended within its first moments wrote its header at most.
        if (summary.isReadable() ? summary.sweeps == 0 : summary.fileBytes < 128) {
            QFile::remove(entry.path);
            continue;
        }
        if (!summary.isReadable()) {
            qCWarning(lcApp).noquote()
                << "Not a journal the program can read:" << QDir::toNativeSeparators(entry.path)
                << summary.problem;
            continue;
        }
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
        if (answer.action == UserPrompts::RecoveryAnswer::Action::Discard) {
            QFile::remove(path);
            continue;
        }
        if (answer.action != UserPrompts::RecoveryAnswer::Action::Recover)
            continue;
        const JournalReader::Result journal = JournalReader::read(path);
        const QString name = QDir::toNativeSeparators(path);
        if (!journal.isReadable()) {
            prompts.critical(parent, tr("Error"),
                             tr("Unable to recover %1: %2.").arg(name, journal.problem));
            continue;
        }
        const QString title = titleOf(journal);
        TabPage *page = open(journal.history, title);
        if (!page)
            continue;
        ++recovered;
        if (!page->adoptJournal(path, journal.validBytes, journal.lastSetNumber))
            prompts.warning(parent, tr("Scan recovered"),
                            tr("%1 is shown, but its journal cannot be kept up: %2. Save it now.")
                                .arg(title, page->journal()->errorString()));
        if (!journal.damage.isEmpty())
            prompts.warning(
                parent, tr("Scan recovered in part"),
                tr("%1 holds everything before the damage: %2.").arg(title, journal.damage));
    }
    return recovered;
}
