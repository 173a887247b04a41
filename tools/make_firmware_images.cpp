// Writes the firmware images the program carries into a folder: the radio's flat flash image
// (7342_quorvex_radio.bin, its version string at its fixed offset) and the host's image
// (7342_quorvex_host.dfu, before dfu-suffix adds the DFU suffix). Run by the build.

#include "firmware/RadioImage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const struct
    {
        const char *name;
        QByteArray bytes;
    } images[] = {
        {"7342_quorvex_radio.bin", RadioImage::make(QStringLiteral("1.0.0.9.0.0"))},
        {"7342_quorvex_host.dfu",
         RadioImage::make(QStringLiteral("1.0.0.9.0.69"), 3 * RadioImage::k_sectorSize)},
    };
    for (const auto &image : images) {
        QFile file(folder + QLatin1Char('/') + QLatin1String(image.name));
        if (!file.open(QIODevice::WriteOnly) || file.write(image.bytes) != image.bytes.size()) {
            std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(file.fileName()),
                         qPrintable(file.errorString()));
            return 1;
        }
    }
    return 0;
}
