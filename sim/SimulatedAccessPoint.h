#pragma once

#include <QString>

// One Wi-Fi access point of the simulated site.
struct SimulatedAccessPoint
{
    QString bssid; // lower-case, colon-separated hex
    QString ssid; // empty for a hidden network
    int channel = 1; // 2.4 GHz channel, 1 to 14
    int rssi = -70; // mean level at the analyzer and at the computer, dBm
    double dutyCycle = 0.2; // share of sweeps in which the access point is on the air
};
