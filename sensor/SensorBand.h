#pragma once

#include "data/ScanParams.h"

#include <QString>
#include <qwt_interval.h>

// One of the analyzer's two bands as a sensor scans and publishes it: the number it goes by
// (2400 or 900), the analyzer's scan parameters, and the grid of its sweeps in whole hertz as
// the wire format carries it.
struct SensorBand
{
    int mhz = 0; // 2400 or 900; 0: no band
    quint32 fstartHz = 0;
    quint32 fstepHz = 0;
    quint16 steps = 0;

    bool isValid() const { return mhz != 0; }
    // "2400 MHz".
    QString label() const;
    ScanParams params() const;
    // The frequency interval (MHz) of a history of this band, as a live page has it.
    QwtInterval frequencyInterval() const;

    // The band numbered `mhz`; an invalid band for any other number.
    static SensorBand of(int mhz);
    // The band whose sweeps have this grid; an invalid band when none has.
    static SensorBand matching(quint32 fstartHz, quint32 fstepHz, quint16 steps);

    bool operator==(const SensorBand &other) const
    {
        return mhz == other.mhz && fstartHz == other.fstartHz && fstepHz == other.fstepHz
            && steps == other.steps;
    }
    bool operator!=(const SensorBand &other) const { return !(*this == other); }
};
