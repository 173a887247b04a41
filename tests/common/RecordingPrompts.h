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

    // Questions before unsaved sweeps go, and the answer to each in turn (then Discard).
    QStringList unsavedQuestions;
    QList<UnsavedChoice> unsavedAnswers;
    // Offers of journals left unsaved: how many each offered, and the answer given.
    QList<int> recoveryOffers;
    RecoveryAnswer recoveryAnswer;

    // Progress shown: the updates heard, and after how many the user cancels (-1: never).
    int progressUpdates = 0;
    int cancelProgressAfter = -1;

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

    UnsavedChoice askUnsaved(QWidget *, const QString &, const QString &text) override
    {
        unsavedQuestions << text;
        return unsavedAnswers.isEmpty() ? UnsavedChoice::Discard : unsavedAnswers.takeFirst();
    }
    RecoveryAnswer askRecovery(QWidget *, const QList<JournalReader::Entry> &journals) override
    {
        recoveryOffers << journals.size();
        return recoveryAnswer;
    }

    class CountedProgress : public Progress
    {
    public:
        explicit CountedProgress(RecordingPrompts &prompts)
            : m_prompts(prompts)
        { }
        bool update(qint64, qint64) override
        {
            ++m_prompts.progressUpdates;
            return m_prompts.cancelProgressAfter < 0
                || m_prompts.progressUpdates <= m_prompts.cancelProgressAfter;
        }

    private:
        RecordingPrompts &m_prompts;
    };
    std::unique_ptr<Progress> progress(QWidget *, const QString &) override
    {
        return std::make_unique<CountedProgress>(*this);
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
