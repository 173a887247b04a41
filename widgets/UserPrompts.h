#pragma once

#include "data/JournalReader.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

class QWidget;

// The modal questions, messages and file dialogs put to the user, by the main window and by
// what it holds (pages, panels). Tests replace it so that no test waits on a dialog.
class UserPrompts
{
public:
    enum class UnsavedChoice { Save, Discard, Cancel };
    // What to do with journals a previous run left: the rows (indexes into the list offered)
    // to recover or to discard; the others stay for a later start.
    struct RecoveryAnswer
    {
        enum class Action { Recover, Discard, Later } action = Action::Later;
        QList<int> rows;
    };

    // A long task's progress, shown once it has taken half a second, with Cancel.
    class Progress
    {
    public:
        virtual ~Progress() = default;
        // done of total; false once the user cancelled.
        virtual bool update(qint64 done, qint64 total) = 0;
    };

    virtual ~UserPrompts() = default;

    // A critical message box with a single OK button.
    virtual void critical(QWidget *parent, const QString &title, const QString &text);
    // An information message box with a single OK button.
    virtual void information(QWidget *parent, const QString &title, const QString &text);
    // A warning message box with a single OK button.
    virtual void warning(QWidget *parent, const QString &title, const QString &text);
    // A question box with Yes and No; true for Yes.
    virtual bool question(QWidget *parent, const QString &title, const QString &text);
    // Save, Discard or Cancel for unsaved work that is about to go.
    virtual UnsavedChoice askUnsaved(QWidget *parent, const QString &title, const QString &text);
    // Offers the scans a previous run left unsaved.
    virtual RecoveryAnswer askRecovery(QWidget *parent,
                                       const QList<JournalReader::Entry> &journals);
    virtual std::unique_ptr<Progress> progress(QWidget *parent, const QString &text);
    // An item-choice dialog, not editable, the first item preselected. False when cancelled.
    virtual bool chooseItem(QWidget *parent, const QString &title, const QString &label,
                            const QStringList &items, QString *choice);
    // File dialogs: the chosen file, or an empty URL when cancelled.
    virtual QUrl saveFileUrl(QWidget *parent, const QString &title, const QString &defaultPath,
                             const QString &filter);
    virtual QUrl openFileUrl(QWidget *parent, const QString &title, const QString &folder,
                             const QString &filter);
    // A folder dialog opened on `folder`: the chosen folder, or an empty URL when cancelled.
    virtual QUrl folderUrl(QWidget *parent, const QString &title, const QString &folder);
};
