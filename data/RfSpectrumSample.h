#pragma once

#include "RfSpectrumScan.h"
#include "WifiApInfo.h"

class QDataStream;

// One sweep with the time it was received.
struct RfSpectrumSample
{
    qint64 timestamp = 0; // ms since the Unix epoch, UTC
    RfSpectrumScan scan;
    WifiScan wifiAps; // access points last scanned when the sample was added; 2.4 GHz only

    bool operator==(const RfSpectrumSample &other) const;
    bool operator!=(const RfSpectrumSample &other) const { return !(*this == other); }
};

QDataStream &operator<<(QDataStream &out, const RfSpectrumSample &sample);
QDataStream &operator>>(QDataStream &in, RfSpectrumSample &sample);
