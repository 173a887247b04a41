#pragma once

#include "data/WifiApInfo.h"

#include <QVector>
#include <qwt_plot_curve.h>

// The outline of an access point's channel over the spectrogram: rising from the bottom of
// the amplitude scale at the lower channel edge, flat at the access point's RSSI, falling
// back at the upper edge; in the access point's colour, slightly transparent.
class WifiCurve : public QwtPlotCurve
{
public:
    explicit WifiCurve(WifiApInfo ap);

    // The 22 outline points in plot coordinates (MHz, dBm).
    static QVector<QPointF> outline(const WifiApInfo &ap);
};
