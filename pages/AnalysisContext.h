#pragma once

#include <QList>
#include <QString>

class QWidget;
class TabPage;
class UserPrompts;

// What a page's markers, references and exports (SpectrumAnalysis) need from the window around
// the page: its dialogs, the recordings open to compare with, the busy threshold the peak
// tables and summaries follow, where exports and captures go, and its status bar.
class AnalysisContext
{
public:
    struct Recording
    {
        TabPage *page = nullptr;
        QString title;
    };

    virtual ~AnalysisContext() = default;

    // The dialogs, or none where nobody is there to answer them.
    virtual UserPrompts *prompts() const = 0;
    // The parent of the dialogs.
    virtual QWidget *window() const = 0;
    // The recordings open in the window, in its order.
    virtual QList<Recording> recordings() const = 0;
    // A level is busy at or above it, in dBm.
    virtual double busyThreshold() const = 0;
    // Where an export of the page is offered: a folder and a file name ending in `kind` and
    // `suffix` ("coordination", ".txt").
    virtual QString exportPath(const TabPage *page, const QString &kind,
                               const QString &suffix) const = 0;
    // An export was written there: the folder is offered next time.
    virtual void remember(const QString &path) = 0;
    // Where captures go without asking: the folder chosen once (empty until then).
    virtual QString captureFolder() const = 0;
    virtual void setCaptureFolder(const QString &folder) = 0;
    // A message in the window's status bar.
    virtual void showStatus(const QString &text) = 0;
};
