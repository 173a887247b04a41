#include "PlotPrompts.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>

PlotPrompts PlotPrompts::dialogs()
{
    PlotPrompts prompts;
    prompts.askText = [](QWidget *parent, const QString &initialText, QString *text) {
        bool ok = false;
        const QString entered = QInputDialog::getText(
            parent, QCoreApplication::applicationName(),
            QCoreApplication::translate("PlotPrompts", "Enter Text"), QLineEdit::Normal,
            initialText, &ok, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        if (ok)
            *text = entered;
        return ok;
    };
    prompts.askYesNo = [](const QString &text, const QString &informativeText) {
        QMessageBox box;
        box.setText(text);
        box.setInformativeText(informativeText);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes;
    };
    return prompts;
}

PlotPrompts PlotPrompts::none()
{
    PlotPrompts prompts;
    prompts.askText = [](QWidget *, const QString &, QString *) { return false; };
    prompts.askYesNo = [](const QString &, const QString &) { return false; };
    return prompts;
}
