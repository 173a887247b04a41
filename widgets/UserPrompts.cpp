#include "UserPrompts.h"

#include "RecoveryDialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

void UserPrompts::critical(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::critical(parent, title, text, QMessageBox::Ok);
}

void UserPrompts::information(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

void UserPrompts::warning(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

bool UserPrompts::question(QWidget *parent, const QString &title, const QString &text)
{
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

UserPrompts::UnsavedChoice UserPrompts::askUnsaved(QWidget *parent, const QString &title,
                                                   const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    // Some desktops word Discard for documents ("Close without Saving"); this is a scan.
    box.button(QMessageBox::Discard)
        ->setText(QCoreApplication::translate("UserPrompts", "Discard"));
    switch (box.exec()) {
    case QMessageBox::Save:
        return UnsavedChoice::Save;
    case QMessageBox::Discard:
        return UnsavedChoice::Discard;
    default:
        return UnsavedChoice::Cancel;
    }
}

UserPrompts::RecoveryAnswer UserPrompts::askRecovery(QWidget *parent,
                                                     const QList<JournalReader::Entry> &journals)
{
    RecoveryDialog dialog(journals, parent);
    dialog.exec();
    return dialog.answer();
}

namespace {

class DialogProgress : public UserPrompts::Progress
{
public:
    DialogProgress(QWidget *parent, const QString &text)
        : m_dialog(text, QCoreApplication::translate("UserPrompts", "Cancel"), 0, 1000, parent)
    {
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(500);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.setValue(0);
    }

    bool update(qint64 done, qint64 total) override
    {
        m_dialog.setValue(total > 0 ? int(done * 1000 / total) : 0);
        return !m_dialog.wasCanceled();
    }

private:
    QProgressDialog m_dialog;
};

} // namespace

std::unique_ptr<UserPrompts::Progress> UserPrompts::progress(QWidget *parent, const QString &text)
{
    return std::make_unique<DialogProgress>(parent, text);
}

bool UserPrompts::chooseItem(QWidget *parent, const QString &title, const QString &label,
                             const QStringList &items, QString *choice)
{
    bool ok = false;
    const QString item = QInputDialog::getItem(parent, title, label, items, 0, false, &ok);
    if (ok && choice)
        *choice = item;
    return ok;
}

QUrl UserPrompts::saveFileUrl(QWidget *parent, const QString &title, const QString &defaultPath,
                              const QString &filter)
{
    return QFileDialog::getSaveFileUrl(parent, title, QUrl::fromLocalFile(defaultPath), filter);
}

QUrl UserPrompts::openFileUrl(QWidget *parent, const QString &title, const QString &folder,
                              const QString &filter)
{
    return QFileDialog::getOpenFileUrl(parent, title, QUrl::fromLocalFile(folder), filter);
}

QUrl UserPrompts::folderUrl(QWidget *parent, const QString &title, const QString &folder)
{
    return QFileDialog::getExistingDirectoryUrl(parent, title, QUrl::fromLocalFile(folder));
}
