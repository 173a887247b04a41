#pragma once

#include <QByteArray>
#include <QString>

// The radio firmware image as the project carries it: a flat flash image from address 0 whose
// version string (NUL-terminated, at most 31 characters) stands at a fixed offset, so that a
// radio can tell which firmware its flash holds. The build generates the carried image with
// make(); the simulated radio starts with one in its flash.
class RadioImage
{
public:
    static constexpr int k_sectorSize = 4096;
    static constexpr int k_versionOffset = 0x100;
    static constexpr int k_versionSize = 32;
    // Seven whole sectors, one partly used: 8 sectors to write.
    static constexpr int k_imageSize = 7 * k_sectorSize + 1234;

    // An image of `size` bytes carrying `version`: pseudo-random code bytes (the same for
    // the same version), one sector left erased (0xFF), as linkers leave gaps.
    static QByteArray make(const QString &version, int size = k_imageSize);
    // The version string stored in a flash image, or an empty text when there is none.
    static QString versionOf(const QByteArray &flash);
    // Sectors needed for `bytes`, a partial last one counting as one.
    static int sectorCount(int bytes) { return (bytes + k_sectorSize - 1) / k_sectorSize; }
};
