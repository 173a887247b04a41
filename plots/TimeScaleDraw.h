#pragma once

#include <qwt_scale_draw.h>

// Time axis labels: a value in milliseconds since the epoch as the local time of day
// (hh:mm:ss).
class TimeScaleDraw : public QwtScaleDraw
{
public:
    QwtText label(double value) const override;
};
