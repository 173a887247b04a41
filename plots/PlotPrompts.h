#pragma once

#include <QString>
#include <functional>

class QWidget;

// How the plots ask the user for a label's or an event's text and whether to remove one.
// By default they are the framework's modal input dialog and question box; tests put
// answers of their own in their place so that nothing waits on a dialog.
struct PlotPrompts
{
    // The text input dialog: parent, initial text; false when the user cancels, else the
    // entered text in *text.
    std::function<bool(QWidget *parent, const QString &initialText, QString *text)> askText;
    // A question box with Yes (the default) and No; true for Yes.
    std::function<bool(const QString &text, const QString &informativeText)> askYesNo;

    // The framework's dialogs: an input dialog titled with the application name, label
    // "Enter Text", with only a close button; a parentless question box.
    static PlotPrompts dialogs();
    // For a plot whose clicks ask nothing: every question is cancelled.
    static PlotPrompts none();
};
