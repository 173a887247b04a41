#include "SimulatedAir.h"

#include <QRandomGenerator>

namespace {

struct Network
{
    const char *ssid;
    int channel;
};

// Networks a technician meets at a venue; the seed picks which of them are on the air and how
// strong they are.
const Network k_networks[] = {
    {"Venue-Staff", 1},   {"Stage-Net", 6},         {"FOH-Audio", 11},
    {"Guest WiFi", 6},    {"Production", 1},        {"LX-Console", 11},
    {"Catering", 3},      {"DIRECT-7F-Printer", 9}, {"", 6},
    {"Broadcast-OB", 13}, {"Box Office", 4},        {"Security-Cam", 8},
};

} // namespace

SimulatedAir::SimulatedAir(quint32 seed)
    : m_seed(seed)
{
    QRandomGenerator rng(seed);
    for (const Network &network : k_networks) {
        // About two thirds of the catalogue is on the air at any site.
        if (rng.bounded(3) == 0)
            continue;
        SimulatedAccessPoint ap;
        ap.ssid = QString::fromLatin1(network.ssid);
        ap.channel = network.channel;
        ap.rssi = -45 - int(rng.bounded(38));
        ap.dutyCycle = 0.05 + rng.bounded(0.55);
        QStringList octets{QStringLiteral("02")}; // locally administered addresses
        for (int i = 0; i < 5; ++i)
            octets.append(QStringLiteral("%1").arg(rng.bounded(256), 2, 16, QLatin1Char('0')));
        ap.bssid = octets.join(QLatin1Char(':'));
        m_accessPoints.append(ap);
    }
}

int SimulatedAir::scannedRssi(int index, qint64 msecsSinceEpoch) const
{
    if (index < 0 || index >= m_accessPoints.size())
        return 0;
    const quint64 slot = quint64(msecsSinceEpoch) / 4000;
    QRandomGenerator rng(quint32(m_seed * 2654435761u) ^ quint32(slot * 40503u) ^ quint32(index));
    return m_accessPoints[index].rssi + int(rng.bounded(7)) - 3;
}
