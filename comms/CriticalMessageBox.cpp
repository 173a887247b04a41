#include "CriticalMessageBox.h"

#include <QMessageBox>
#include <memory>

QMessageBox *CriticalMessageBox::create(const QString &title, const QString &text)
{
    return new QMessageBox(QMessageBox::Critical, title, text, QMessageBox::Ok);
}

void CriticalMessageBox::show(const QString &title, const QString &text)
{
    std::unique_ptr<QMessageBox> box(create(title, text));
    box->exec();
}
