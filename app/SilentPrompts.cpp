#include "SilentPrompts.h"

#include "AppLog.h"

void SilentPrompts::critical(QWidget *, const QString &title, const QString &text)
{
    qCWarning(lcApp).noquote() << title + QStringLiteral(": ") + text;
}

void SilentPrompts::information(QWidget *, const QString &title, const QString &text)
{
    qCInfo(lcApp).noquote() << title + QStringLiteral(": ") + text;
}

void SilentPrompts::warning(QWidget *, const QString &title, const QString &text)
{
    qCWarning(lcApp).noquote() << title + QStringLiteral(": ") + text;
}

bool SilentPrompts::question(QWidget *, const QString &, const QString &)
{
    return false;
}

UserPrompts::UnsavedChoice SilentPrompts::askUnsaved(QWidget *, const QString &title,
                                                     const QString &text)
{
    qCInfo(lcApp).noquote() << title + QStringLiteral(": ") + text + QStringLiteral(" (discarded)");
    return UnsavedChoice::Discard;
}

UserPrompts::RecoveryAnswer SilentPrompts::askRecovery(QWidget *,
                                                       const QList<JournalReader::Entry> &)
{
    return RecoveryAnswer();
}

namespace {
class NoProgress : public UserPrompts::Progress
{
public:
    bool update(qint64, qint64) override { return true; }
};
} // namespace

std::unique_ptr<UserPrompts::Progress> SilentPrompts::progress(QWidget *, const QString &)
{
    return std::make_unique<NoProgress>();
}

bool SilentPrompts::chooseItem(QWidget *, const QString &, const QString &, const QStringList &,
                               QString *)
{
    return false;
}

QUrl SilentPrompts::saveFileUrl(QWidget *, const QString &, const QString &, const QString &)
{
    return QUrl();
}

QUrl SilentPrompts::openFileUrl(QWidget *, const QString &, const QString &, const QString &)
{
    return QUrl();
}

QUrl SilentPrompts::folderUrl(QWidget *, const QString &, const QString &)
{
    return QUrl();
}
