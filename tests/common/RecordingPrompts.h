#pragma once

#include "app/UserPrompts.h"

// Answers the main window's dialogs without showing them and records what was asked.
class RecordingPrompts : public UserPrompts
{
public:
    QStringList criticals; // texts of the critical messages
    QList<QStringList> choiceLists; // items offered by each choice dialog
    QString answer; // the item chosen; empty: the dialog is cancelled
    QStringList questions; // texts of the questions asked
    bool questionAnswer = false; // Yes or No to every question

    QStringList warnings; // texts of the warnings
    QStringList informations; // texts of the information boxes
    // File dialogs: what each was asked (title and the default path or folder), and the
    // answers given in turn (an empty URL cancels).
    QStringList fileDialogs;
    QList<QUrl> fileAnswers;

    void critical(QWidget *, const QString &, const QString &text) override { criticals << text; }
    void warning(QWidget *, const QString &, const QString &text) override { warnings << text; }
    void information(QWidget *, const QString &, const QString &text) override
    {
        informations << text;
    }

    QUrl saveFileUrl(QWidget *, const QString &title, const QString &defaultPath,
                     const QString &) override
    {
        fileDialogs << title + QLatin1Char('|') + defaultPath;
        return fileAnswers.isEmpty() ? QUrl() : fileAnswers.takeFirst();
    }
    QUrl openFileUrl(QWidget *, const QString &title, const QString &folder,
                     const QString &) override
    {
        fileDialogs << title + QLatin1Char('|') + folder;
        return fileAnswers.isEmpty() ? QUrl() : fileAnswers.takeFirst();
    }

    bool question(QWidget *, const QString &, const QString &text) override
    {
        questions << text;
        return questionAnswer;
    }

    bool chooseItem(QWidget *, const QString &, const QString &, const QStringList &items,
                    QString *choice) override
    {
        choiceLists << items;
        if (answer.isEmpty())
            return false;
        *choice = answer;
        return true;
    }
};
