#pragma once

#include "data/WifiApInfo.h"

#include <qwt_plot_marker.h>

// An access point's network name in a small box, centred on its channel just above the flat
// top of its outline, in its colour on a dark background of the same hue.
class WifiMarker : public QwtPlotMarker
{
public:
    explicit WifiMarker(WifiApInfo ap);

protected:
    void drawLabel(QPainter *painter, const QRectF &canvasRect, const QPointF &pos) const override;
};
