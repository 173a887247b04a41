#pragma once

#include <qwt_scale_draw.h>

// Top axis of the 2.4 GHz band: Wi-Fi channel numbers 1 ... 14 at their centre frequencies;
// the band edges and anything that is no channel centre stay unlabelled.
class WifiChannelsScaleDraw : public QwtScaleDraw
{
public:
    QwtText label(double value) const override;
};
