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

    // A sweep's time lies between the epoch and the end of the year 9999 (the date range the
    // program shows). Anything else is not a time the program wrote, and times in that range
    // keep every difference between two of them far from overflowing.
    static constexpr qint64 k_lastTimestamp = 253402300799999;
    static bool isValidTimestamp(qint64 ms) { return ms >= 0 && ms <= k_lastTimestamp; }

    bool operator==(const RfSpectrumSample &other) const;
    bool operator!=(const RfSpectrumSample &other) const { return !(*this == other); }
};

QDataStream &operator<<(QDataStream &out, const RfSpectrumSample &sample);
QDataStream &operator>>(QDataStream &in, RfSpectrumSample &sample);
