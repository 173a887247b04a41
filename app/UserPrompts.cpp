#include "UserPrompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

void UserPrompts::critical(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::critical(parent, title, text, QMessageBox::Ok);
}

void UserPrompts::information(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

void UserPrompts::warning(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

bool UserPrompts::question(QWidget *parent, const QString &title, const QString &text)
{
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

bool UserPrompts::chooseItem(QWidget *parent, const QString &title, const QString &label,
                             const QStringList &items, QString *choice)
{
    bool ok = false;
    const QString item = QInputDialog::getItem(parent, title, label, items, 0, false, &ok);
    if (ok && choice)
        *choice = item;
    return ok;
}

QUrl UserPrompts::saveFileUrl(QWidget *parent, const QString &title, const QString &defaultPath,
                              const QString &filter)
{
    return QFileDialog::getSaveFileUrl(parent, title, QUrl::fromLocalFile(defaultPath), filter);
}

QUrl UserPrompts::openFileUrl(QWidget *parent, const QString &title, const QString &folder,
                              const QString &filter)
{
    return QFileDialog::getOpenFileUrl(parent, title, QUrl::fromLocalFile(folder), filter);
}
