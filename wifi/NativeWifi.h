#pragma once

#include "data/WifiApInfo.h"

#include <QObject>

class SimulatedAir;

// The computer's Wi-Fi as the rest of the program sees it: one blocking scan of the access
// points heard on 2.4 GHz, and whether Wi-Fi can be scanned at all (a station interface
// exists). On Linux the kernel's nl80211 scan results are read; when the program runs against
// the simulated analyzer, the access points of the simulated air are reported instead, so that
// outlines and measured spectrum agree.
class NativeWifi : public QObject
{
    Q_OBJECT

public:
    // The process-wide object that announces availabilityChanged().
    static NativeWifi *instance();

    // True while a scan can hear anything: the simulated air is set, or at least one nl80211
    // station interface exists. Cheap enough for the GUI thread (no scan is made).
    static bool available();

    // One synchronous scan; safe on any thread. Never fails: no interface, a refused request
    // or a kernel without nl80211 give an empty list.
    static WifiScan scan();

    // Reports the access points of `air` from now on instead of the kernel's scan results.
    static void setSimulatedAir(const SimulatedAir &air);
    static void clearSimulatedAir();
    static bool isSimulating();

    // What a scan of `air` reports at a time (ms since the epoch): every access point, with the
    // scan-to-scan jitter of its level.
    static WifiScan simulatedScan(const SimulatedAir &air, qint64 msecsSinceEpoch);

    // The colour of an access point, a fixed function of its BSSID, so it keeps its colour across
    // scans and runs. Hues 220 to 279 (blue-violet, hard to tell apart on the dark displays)
    // are never produced.
    static QColor bssidColor(const QString &bssid);

    // Centre frequency (whole MHz) of a 2.4 GHz channel, 1 to 14; 0 for any other number.
    static int channelFrequency(int channel);
    // The 2.4 GHz channel whose centre is `mhz`; 0 when none is.
    static int frequencyChannel(int mhz);

    // The record of one access point as every source fills it: width 20 MHz, colour from the
    // BSSID. `channel` must be 1 to 14.
    static WifiApInfo makeAccessPoint(const QString &bssid, const QString &ssid, int rssi,
                                      int channel);

signals:
    // The answer of available() may have changed (the simulated air was set or cleared).
    void availabilityChanged();

private:
    NativeWifi() = default;
};

// One scan of the computer's Wi-Fi, as NativeWifi::scan().
WifiScan nativeScan();
