#pragma once

#include "widgets/UserPrompts.h"

#include <QEventLoop>
#include <QTimer>
#include <functional>

// Answers the main window's dialogs without showing them and records what was asked. With
// answerAfterMs set, each question and message is answered only after the event loop has run
// that long, as a person who takes their time would: whatever the program does meanwhile
// (sweeps arriving, timers firing) happens while the dialog is open.
class RecordingPrompts : public UserPrompts
{
public:
    int answerAfterMs = 0;
    // Called when a dialog opens, before the wait.
    std::function<void()> onOpen;
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
    QList<JournalReader::Entry> offeredJournals; // those of the last offer
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

    void critical(QWidget *, const QString &, const QString &text) override
    {
        criticals << text;
        takeTime();
    }
    void warning(QWidget *, const QString &, const QString &text) override
    {
        warnings << text;
        takeTime();
    }
    void information(QWidget *, const QString &, const QString &text) override
    {
        informations << text;
        takeTime();
    }

    QUrl saveFileUrl(QWidget *, const QString &title, const QString &defaultPath,
                     const QString &) override
    {
        fileDialogs << title + QLatin1Char('|') + defaultPath;
        takeTime();
        return fileAnswers.isEmpty() ? QUrl() : fileAnswers.takeFirst();
    }
    QUrl openFileUrl(QWidget *, const QString &title, const QString &folder,
                     const QString &) override
    {
        fileDialogs << title + QLatin1Char('|') + folder;
        return fileAnswers.isEmpty() ? QUrl() : fileAnswers.takeFirst();
    }
    QUrl folderUrl(QWidget *, const QString &title, const QString &folder) override
    {
        fileDialogs << title + QLatin1Char('|') + folder;
        return fileAnswers.isEmpty() ? QUrl() : fileAnswers.takeFirst();
    }

    bool question(QWidget *, const QString &, const QString &text) override
    {
        questions << text;
        takeTime();
        return questionAnswer;
    }

    UnsavedChoice askUnsaved(QWidget *, const QString &, const QString &text) override
    {
        unsavedQuestions << text;
        takeTime();
        return unsavedAnswers.isEmpty() ? UnsavedChoice::Discard : unsavedAnswers.takeFirst();
    }
    RecoveryAnswer askRecovery(QWidget *, const QList<JournalReader::Entry> &journals) override
    {
        recoveryOffers << journals.size();
        offeredJournals = journals;
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

private:
    void takeTime()
    {
        if (onOpen)
            onOpen();
        if (answerAfterMs > 0) {
            QEventLoop loop;
            QTimer::singleShot(answerAfterMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }
};
