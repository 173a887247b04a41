// The colour file: any bytes as "customColors.txt", read under both keys and made into the
// plots' colour maps, whose colours are then looked up over the whole scale and beyond.

#include "FuzzSupport.h"
#include "plots/ColorFile.h"

#include <QDir>
#include <QFile>
#include <qwt_color_map.h>
#include <qwt_interval.h>

namespace {

QString s_path;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::init(argc, argv);
    const QString shm = QStringLiteral("/dev/shm");
    s_path = (QDir(shm).exists() ? shm : QDir::tempPath())
        + QStringLiteral("/quorvex-fuzz-%1-colors.txt").arg(QCoreApplication::applicationPid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QFile file(s_path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    file.close();
    for (const char *key : {"SpectroPlot", "WaterfallPlot"}) {
        const QVector<ColorFile::Stop> stops = ColorFile::readStops(s_path, QLatin1String(key));
        FUZZ_CHECK(stops.isEmpty() || stops.size() >= 2);
        if (stops.isEmpty())
            continue;
        QwtLinearColorMap map;
        ColorFile::applyStops(&map, stops);
        const QwtInterval interval(-128.0, 0.0);
        for (double value = -140.0; value <= 10.0; value += 0.5)
            (void)map.rgb(interval, value);
        (void)map.colorTable(interval);
    }
    return 0;
}
