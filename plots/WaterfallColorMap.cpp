#include "WaterfallColorMap.h"

#include "ColorFile.h"

WaterfallColorMap::WaterfallColorMap()
    : QwtLinearColorMap(QwtColorMap::RGB)
{
    if (ColorFile::apply(this, QStringLiteral("WaterfallPlot")))
        return;
    setColorInterval(QColor(0x00, 0x80, 0x80, 0), QColor(0xff, 0x00, 0x00));
    addColorStop(0.1, QColor(0x00, 0xff, 0xff, 127));
    addColorStop(0.5, QColor(0xff, 0xff, 0x00));
}
