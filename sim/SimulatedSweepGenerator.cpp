#include "SimulatedSweepGenerator.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cmath>

namespace {

constexpr double k_pi = 3.14159265358979323846;
constexpr double k_floorDbm = -95.0;
constexpr int k_microwaveCycle = 3000; // sweeps
constexpr int k_microwaveRun = 1200; // sweeps
constexpr double k_hopBaseMHz = 902.75;
constexpr double k_hopSpacingMHz = 0.5;
constexpr int k_hopChannelCount = 50;

// A generator for one purpose (salt) of one sweep, the same for the same inputs.
QRandomGenerator generator(quint32 seed, quint32 salt, quint64 index = 0)
{
    const quint32 words[] = {seed, salt, quint32(index), quint32(index >> 32)};
    return QRandomGenerator(words, 4);
}

double uniform(QRandomGenerator &rng, double low, double high)
{
    return low + rng.bounded(high - low);
}

// Attenuation (dB, negative) of a signal at `offset` MHz from its centre, or NaN outside it.
using Shape = double (*)(double offset);

double wifiShape(double offset)
{
    // The OFDM spectrum mask: flat over the occupied 18 MHz, -20 dB at 11 MHz, -28 dB at
    // 20 MHz, -40 dB at 30 MHz.
    const double d = std::abs(offset);
    if (d <= 9.0)
        return 0.0;
    if (d <= 11.0)
        return -(d - 9.0) * 10.0;
    if (d <= 20.0)
        return -20.0 - (d - 11.0) * 8.0 / 9.0;
    if (d <= 30.0)
        return -28.0 - (d - 20.0) * 1.2;
    return std::nan("");
}

double hopShape(double offset)
{
    const double d = std::abs(offset);
    if (d <= 0.4)
        return 0.0;
    if (d <= 0.8)
        return -8.0;
    if (d <= 1.2)
        return -22.0;
    return std::nan("");
}

double microwaveShape(double offset)
{
    const double d = std::abs(offset);
    if (d <= 4.0)
        return 0.0;
    if (d <= 10.0)
        return -(d - 4.0) * 3.0;
    if (d <= 18.0)
        return -18.0 - (d - 10.0) * 2.5;
    return std::nan("");
}

double lightingShape(double offset)
{
    const double d = std::abs(offset);
    if (d <= 0.12)
        return 0.0;
    if (d <= 0.25)
        return -8.0;
    if (d <= 0.4)
        return -20.0;
    return std::nan("");
}

double carrierShape(double offset)
{
    const double d = std::abs(offset);
    if (d <= 0.05)
        return 0.0;
    if (d <= 0.11)
        return -10.0;
    if (d <= 0.2)
        return -25.0;
    return std::nan("");
}

// One sweep being drawn: levels in dBm, combined as powers.
class Canvas
{
public:
    Canvas(double start, double step, int count)
        : m_start(start)
        , m_step(step)
        , m_levels(count)
    { }

    int count() const { return m_levels.size(); }
    double frequency(int i) const { return m_start + i * m_step; }
    double &level(int i) { return m_levels[i]; }

    // Adds a signal of `peak` dBm at `centre` MHz, drawn only between `from` and `to` MHz
    // (the part of the sweep during which it was on the air); `jitter` varies each sample.
    void add(double centre, double peak, Shape shape, double reach, double from, double to,
             QRandomGenerator &rng, double jitter = 1.0)
    {
        const double low = std::max(from, centre - reach);
        const double high = std::min(to, centre + reach);
        if (high < low || m_step <= 0.0)
            return;
        const int first = std::max(0, int(std::ceil((low - m_start) / m_step)));
        const int last = std::min(count() - 1, int(std::floor((high - m_start) / m_step)));
        for (int i = first; i <= last; ++i) {
            const double attenuation = shape(frequency(i) - centre);
            if (std::isnan(attenuation))
                continue;
            const double signal = peak + attenuation + uniform(rng, -jitter, jitter);
            m_levels[i] = 10.0
                * std::log10(std::pow(10.0, m_levels[i] / 10.0) + std::pow(10.0, signal / 10.0));
        }
    }

    void add(double centre, double peak, Shape shape, double reach, QRandomGenerator &rng,
             double jitter = 1.0)
    {
        add(centre, peak, shape, reach, centre - reach, centre + reach, rng, jitter);
    }

    // A signal of `peak` dBm flat from `low` to `high` MHz.
    void addFlat(double low, double high, double peak, QRandomGenerator &rng)
    {
        for (int i = 0; i < count(); ++i) {
            if (frequency(i) < low || frequency(i) > high)
                continue;
            const double signal = peak + uniform(rng, -1.0, 1.0);
            m_levels[i] = 10.0
                * std::log10(std::pow(10.0, m_levels[i] / 10.0) + std::pow(10.0, signal / 10.0));
        }
    }

    RfSpectrumScan samples() const
    {
        RfSpectrumScan scan(count());
        for (int i = 0; i < count(); ++i)
            scan[i] = qint8(std::clamp(int(std::lround(m_levels[i])), -120, -5));
        return scan;
    }

private:
    double m_start;
    double m_step;
    QVector<double> m_levels;
};

double wifiCentre(int channel)
{
    return channel == 14 ? 2484.0 : 2412.0 + 5.0 * (channel - 1);
}

} // namespace

SimulatedSweepGenerator::SimulatedSweepGenerator(quint32 seed)
    : m_seed(seed)
    , m_air(seed)
{
    QRandomGenerator rng = generator(seed, 0x51A7E);
    m_ripplePhase = rng.bounded(2.0 * k_pi);
    m_microwaveStart = 300 + int(rng.bounded(500));

    // The lighting network hops over its channels in an order of its own.
    for (int channel = 0; channel < k_hopChannelCount; ++channel)
        m_hopChannels.append(channel);
    for (int i = k_hopChannelCount - 1; i > 0; --i)
        std::swap(m_hopChannels[i], m_hopChannels[int(rng.bounded(i + 1))]);

    for (int i = 0; i < 3; ++i) {
        const double frequency = std::round((902.5 + rng.bounded(25.0)) / 0.0125) * 0.0125;
        m_carriers.append({frequency, uniform(rng, -80.0, -62.0), i == 2});
    }

    for (int i = 0; i < m_air.accessPoints().size(); ++i)
        m_burstLength.append(1 + int(rng.bounded(4)));
}

bool SimulatedSweepGenerator::microwaveRunning(quint64 index) const
{
    const int phase = int(index % k_microwaveCycle);
    return phase >= m_microwaveStart && phase < m_microwaveStart + k_microwaveRun;
}

RfSpectrumScan SimulatedSweepGenerator::sweep(double fStartMHz, double fStepMHz, int count,
                                              quint64 index) const
{
    Canvas canvas(fStartMHz, fStepMHz, std::max(0, count));

    // Noise floor: a slow ripple across the band, jitter per sample, a rare spike.
    QRandomGenerator noise = generator(m_seed, 1, index);
    for (int i = 0; i < canvas.count(); ++i) {
        const double ripple = std::sin(2.0 * k_pi * canvas.frequency(i) / 37.0 + m_ripplePhase);
        double level = k_floorDbm + ripple + uniform(noise, -2.5, 2.5);
        if (noise.bounded(200) == 0)
            level += uniform(noise, 5.0, 12.0);
        canvas.level(i) = level;
    }

    // Wi-Fi: in a burst an access point carries traffic during parts of the sweep; between
    // bursts only its beacons show now and then.
    const QList<SimulatedAccessPoint> &aps = m_air.accessPoints();
    for (int k = 0; k < aps.size(); ++k) {
        const SimulatedAccessPoint &ap = aps[k];
        const double centre = wifiCentre(ap.channel);
        const quint64 burst = index / quint64(m_burstLength[k]);
        QRandomGenerator slot = generator(m_seed, 0x100 + quint32(k), burst);
        QRandomGenerator rng = generator(m_seed, 0x200 + quint32(k), index);
        // Packets are short beside a sweep: the radio meets a transmission only over the
        // stretch of frequencies it passes while the packet is on the air.
        int packets = 0;
        if (slot.bounded(1.0) < ap.dutyCycle)
            packets = 1 + int(rng.bounded(3));
        else if (rng.bounded(1.0) < 0.2)
            packets = 1; // a beacon
        for (int p = 0; p < packets; ++p) {
            const double from = centre + uniform(rng, -14.0, 10.0);
            canvas.add(centre, ap.rssi + uniform(rng, -2.0, 2.0), wifiShape, 30.0, from,
                       from + uniform(rng, 1.0, 5.0), rng);
        }
    }

    // Bluetooth-like hops over 79 channels of 1 MHz, the advertising channels more often.
    QRandomGenerator hops = generator(m_seed, 3, index);
    const int hopCount = int(hops.bounded(5));
    for (int h = 0; h < hopCount; ++h) {
        static const double k_advertising[] = {2402.0, 2426.0, 2480.0};
        const double centre
            = hops.bounded(1.0) < 0.3 ? k_advertising[hops.bounded(3)] : 2402.0 + hops.bounded(79);
        canvas.add(centre, uniform(hops, -82.0, -58.0), hopShape, 1.2, hops);
    }

    // The microwave oven: a broad hump that comes and goes with the mains cycle.
    QRandomGenerator oven = generator(m_seed, 4, index);
    if (microwaveRunning(index) && oven.bounded(1.0) < 0.65)
        canvas.add(2455.0 + uniform(oven, -3.0, 3.0), uniform(oven, -52.0, -42.0), microwaveShape,
                   18.0, oven, 2.0);

    // The lighting-control network: a few narrow hits per sweep along its hop sequence.
    QRandomGenerator lighting = generator(m_seed, 5, index);
    const int hitCount = 1 + int(lighting.bounded(4));
    for (int j = 0; j < hitCount; ++j) {
        const int channel = m_hopChannels[int((index * 4 + quint64(j)) % k_hopChannelCount)];
        canvas.add(k_hopBaseMHz + k_hopSpacingMHz * channel, uniform(lighting, -66.0, -44.0),
                   lightingShape, 0.4, lighting);
    }

    // Narrow carriers; one of them keys on and off in stretches of 20 sweeps.
    QRandomGenerator carriers = generator(m_seed, 6, index);
    const bool keyed = generator(m_seed, 7, index / 20).bounded(1.0) < 0.4;
    for (const Carrier &carrier : m_carriers) {
        if (carrier.intermittent && !keyed)
            continue;
        canvas.add(carrier.frequencyMHz, carrier.levelDbm, carrierShape, 0.2, carriers);
    }

    if (m_switched.on && m_switched.widthMHz > 0.0) {
        QRandomGenerator switched = generator(m_seed, 9, index);
        const double half = m_switched.widthMHz / 2.0;
        canvas.addFlat(m_switched.centreMHz - half, m_switched.centreMHz + half,
                       m_switched.levelDbm, switched);
    }

    return canvas.samples();
}

RfSpectrumScan SimulatedSweepGenerator::calibration(double fStartMHz, double fStepMHz,
                                                    int count) const
{
    QRandomGenerator rng = generator(m_seed, 8, quint64(fStartMHz * 1000.0));
    const double phase = rng.bounded(2.0 * k_pi);
    RfSpectrumScan values(std::max(0, count));
    for (int i = 0; i < values.size(); ++i) {
        const double f = fStartMHz + i * fStepMHz;
        const double offset
            = 2.5 * std::sin(2.0 * k_pi * f / 60.0 + phase) + uniform(rng, -0.6, 0.6);
        values[i] = qint8(std::clamp(int(std::lround(offset)), -4, 4));
    }
    return values;
}
