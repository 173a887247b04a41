#pragma once

#include "SimulatedAir.h"
#include "data/RfSpectrumScan.h"

#include <QVector>

// What the simulated radio measures: sweeps of a site that looks like a real one, the same for
// a given seed and sweep number. A noise floor near -95 dBm with jitter; in 2.4 GHz the Wi-Fi
// access points of the simulated air with bursty traffic on their channels, Bluetooth-like
// narrow hops and a microwave oven near 2450-2460 MHz that runs now and then; in 900 MHz a
// frequency-hopping lighting-control network and a few narrow carriers. Signals are placed by
// frequency, so any start, step and count gives the matching picture. On top of the site, a
// carrier of its own can be switched on and off.
class SimulatedSweepGenerator
{
public:
    // Flat over centre +- width / 2 at its level while on.
    struct SwitchedCarrier
    {
        double centreMHz = 0.0;
        double widthMHz = 0.0;
        double levelDbm = -50.0;
        bool on = false;
    };

    explicit SimulatedSweepGenerator(quint32 seed = 1);

    const SwitchedCarrier &switchedCarrier() const { return m_switched; }
    void setSwitchedCarrier(const SwitchedCarrier &carrier) { m_switched = carrier; }

    const SimulatedAir &air() const { return m_air; }

    // Sweep number `index` (counted per band by the caller) of `count` samples at
    // fStartMHz + i * fStepMHz, in dBm.
    RfSpectrumScan sweep(double fStartMHz, double fStepMHz, int count, quint64 index) const;
    // The radio's calibration offsets for the same samples, a few dB each.
    RfSpectrumScan calibration(double fStartMHz, double fStepMHz, int count) const;

    // The microwave oven runs for a stretch of every cycle of sweeps.
    bool microwaveRunning(quint64 index) const;

private:
    struct Carrier
    {
        double frequencyMHz;
        double levelDbm;
        bool intermittent;
    };

    quint32 m_seed;
    SimulatedAir m_air;
    QVector<int> m_hopChannels; // the lighting network's hop sequence over its channels
    QVector<Carrier> m_carriers;
    QVector<int> m_burstLength; // sweeps per traffic burst decision, per access point
    double m_ripplePhase = 0.0;
    int m_microwaveStart = 0;
    SwitchedCarrier m_switched;
};
