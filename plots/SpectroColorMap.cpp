#include "SpectroColorMap.h"

#include "ColorFile.h"

SpectroColorMap::SpectroColorMap()
    : QwtLinearColorMap(QwtColorMap::RGB)
{
    if (ColorFile::apply(this, QStringLiteral("SpectroPlot")))
        return;
    setColorInterval(QColor(0x00, 0x80, 0x80, 0), QColor(0xff, 0x00, 0x00));
    addColorStop(0.2, QColor(0x00, 0xff, 0xff, 128));
    addColorStop(0.7, QColor(0xff, 0xff, 0x00));
}
