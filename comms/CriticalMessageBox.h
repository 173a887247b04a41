#pragma once

#include <QString>

class QMessageBox;

// The session controller's failures as the user sees them: a modal critical message box with
// a single OK button and no parent window. The main window hands show() to the controller as
// its message sink.
class CriticalMessageBox
{
public:
    // The box, not yet shown; the caller owns it.
    static QMessageBox *create(const QString &title, const QString &text);
    // Shows the box and waits until the user closes it.
    static void show(const QString &title, const QString &text);
};
