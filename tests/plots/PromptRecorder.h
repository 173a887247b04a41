#pragma once

#include "plots/PlotPrompts.h"

#include <QStringList>

// Answers the plots' prompts from queued answers and records what was asked, so that no test
// waits on a dialog. An empty answer queue cancels the text prompt and says No.
struct PromptRecorder
{
    QStringList textAnswers; // a null string cancels
    QList<bool> yesNoAnswers;
    QStringList initialTexts;
    QStringList questions;

    PlotPrompts prompts()
    {
        PlotPrompts p;
        p.askText = [this](QWidget *, const QString &initialText, QString *text) {
            initialTexts.append(initialText);
            if (textAnswers.isEmpty() || textAnswers.first().isNull()) {
                if (!textAnswers.isEmpty())
                    textAnswers.removeFirst();
                return false;
            }
            *text = textAnswers.takeFirst();
            return true;
        };
        p.askYesNo = [this](const QString &text, const QString &informativeText) {
            questions.append(text + QLatin1Char('|') + informativeText);
            return yesNoAnswers.isEmpty() ? false : yesNoAnswers.takeFirst();
        };
        return p;
    }
};
