#include "AppStyle.h"

#include <QApplication>
#include <QFile>

QString AppStyle::sheet()
{
    QFile file(QStringLiteral(":qdarkstyle/style.qss"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll())
        + QStringLiteral("\nQToolButton:focus { border: 1px solid #1A72BB; }\n");
}

bool AppStyle::apply(QApplication &app)
{
    const QString text = sheet();
    if (text.isEmpty())
        return false;
    app.setStyleSheet(text);
    return true;
}
