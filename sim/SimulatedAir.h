#pragma once

#include "SimulatedAccessPoint.h"

#include <QList>

// The radio environment of the simulated site, the same for a given seed: which Wi-Fi access
// points are on the air. The simulated analyzer draws them into its 2.4 GHz sweeps and the
// Wi-Fi scanner reports them when the program runs against the simulated analyzer, so that
// outlines and measured spectrum agree.
class SimulatedAir
{
public:
    explicit SimulatedAir(quint32 seed = 1);

    quint32 seed() const { return m_seed; }
    const QList<SimulatedAccessPoint> &accessPoints() const { return m_accessPoints; }

    // The level a Wi-Fi scan reports for access point `index` at a time (ms since the epoch):
    // its mean level with a few dB of jitter that changes every scan interval.
    int scannedRssi(int index, qint64 msecsSinceEpoch) const;

private:
    quint32 m_seed;
    QList<SimulatedAccessPoint> m_accessPoints;
};
