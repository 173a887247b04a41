#pragma once

#include <QString>

class QPixmap;

// Writes a snapshot as a PNG file, through a temporary file that replaces the target only
// once the whole image is written.
class SnapshotFile
{
public:
    // False with the reason in *error when the image could not be written.
    static bool save(const QPixmap &pixmap, const QString &path, QString *error);
};
