#include "TavApp.h"

#include "AppLog.h"

#include <QFile>
#include <QFileOpenEvent>

TavApp::TavApp(int &argc, char **argv)
    : QApplication(argc, argv)
{ }

bool TavApp::event(QEvent *event)
{
    if (event->type() == QEvent::FileOpen) {
        const QString fileName = static_cast<QFileOpenEvent *>(event)->file();
        qCDebug(lcApp) << "Open File" << fileName;
        QFile file(fileName);
        Q_EMIT fileOpenRequested(file);
    }
    return QApplication::event(event);
}
