#include "SnapshotFile.h"

#include <QImageWriter>
#include <QPixmap>
#include <QSaveFile>

bool SnapshotFile::save(const QPixmap &pixmap, const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(pixmap.toImage())) {
        if (error)
            *error
                = file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
