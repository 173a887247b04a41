#pragma once

#include "widgets/UserPrompts.h"

// For a window that runs with nobody to answer (benchmarks, the manual's screenshots): every
// question is answered no, every dialog cancelled, unsaved work nobody is there to save is
// discarded, journals left by another run are left for a later one, and messages go to the
// log.
class SilentPrompts : public UserPrompts
{
public:
    void critical(QWidget *parent, const QString &title, const QString &text) override;
    void information(QWidget *parent, const QString &title, const QString &text) override;
    void warning(QWidget *parent, const QString &title, const QString &text) override;
    bool question(QWidget *parent, const QString &title, const QString &text) override;
    UnsavedChoice askUnsaved(QWidget *parent, const QString &title, const QString &text) override;
    RecoveryAnswer askRecovery(QWidget *parent,
                               const QList<JournalReader::Entry> &journals) override;
    std::unique_ptr<Progress> progress(QWidget *parent, const QString &text) override;
    bool chooseItem(QWidget *parent, const QString &title, const QString &label,
                    const QStringList &items, QString *choice) override;
    QUrl saveFileUrl(QWidget *parent, const QString &title, const QString &defaultPath,
                     const QString &filter) override;
    QUrl openFileUrl(QWidget *parent, const QString &title, const QString &folder,
                     const QString &filter) override;
    QUrl folderUrl(QWidget *parent, const QString &title, const QString &folder) override;
};
