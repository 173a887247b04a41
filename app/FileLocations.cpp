#include "FileLocations.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

QString FileLocations::settingsKey(Kind kind)
{
    switch (kind) {
    case Kind::Recording:
        return QStringLiteral("RecordingLocation");
    case Kind::Snapshot:
        return QStringLiteral("SnapshotLocation");
    case Kind::Report:
        return QStringLiteral("ReportLocation");
    case Kind::Capture:
        return QStringLiteral("CaptureLocation");
    case Kind::Export:
        break;
    }
    return QStringLiteral("ExportLocation");
}

QString FileLocations::folder(Kind kind)
{
    const QString stored = QSettings().value(settingsKey(kind)).toString();
    if (!stored.isEmpty()) {
        const QUrl url(stored);
        return url.isLocalFile() ? url.toLocalFile() : stored;
    }
    const QStringList standard = QStandardPaths::standardLocations(
        kind == Kind::Snapshot ? QStandardPaths::PicturesLocation
                               : QStandardPaths::DocumentsLocation);
    return standard.isEmpty() ? QDir::homePath() : standard.first();
}

void FileLocations::remember(Kind kind, const QString &filePath)
{
    QSettings().setValue(settingsKey(kind), QFileInfo(filePath).absolutePath());
}

QString FileLocations::defaultPath(Kind kind, const QString &name, const QString &band)
{
    const QString time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHHmmss"));
    return folder(kind) + QLatin1Char('/') + name + QLatin1Char('_') + band + QLatin1Char('_')
        + time;
}

QString FileLocations::withSuffix(const QString &path, const QString &suffix)
{
    return path.endsWith(suffix) ? path : path + suffix;
}
