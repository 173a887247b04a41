#include "RadioImage.h"

#include <QHash>

QByteArray RadioImage::make(const QString &version, int size)
{
    QByteArray image(size, '\0');
    // A simple generator seeded from the version: reproducible bytes for the build.
    quint32 state = quint32(qHash(version)) | 1u;
    for (int i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        image[i] = char(state >> 24);
    }
    // An unused stretch: the fifth sector stays erased.
    if (size > 5 * k_sectorSize)
        image.replace(4 * k_sectorSize, k_sectorSize, QByteArray(k_sectorSize, '\xff'));
    if (size >= k_versionOffset + k_versionSize) {
        QByteArray field = version.toLatin1().left(k_versionSize - 1);
        field.append(QByteArray(k_versionSize - field.size(), '\0'));
        image.replace(k_versionOffset, k_versionSize, field);
    }
    return image;
}

QString RadioImage::versionOf(const QByteArray &flash)
{
    if (flash.size() < k_versionOffset + k_versionSize)
        return QString();
    const QByteArray field = flash.mid(k_versionOffset, k_versionSize);
    const int end = field.indexOf('\0');
    if (end <= 0)
        return QString();
    const QByteArray text = field.left(end);
    for (const char c : text) {
        if (c < 0x20 || c > 0x7e)
            return QString();
    }
    return QString::fromLatin1(text);
}
