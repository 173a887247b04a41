#pragma once

#include "data/RfSpectrumSample.h"

#include <QList>
#include <cmath>
#include <random>

// Sweeps that look like a busy 2.4 GHz site (or the 900 MHz band): a noise floor near
// -95 dBm with jitter, access points on channels 1, 6 and 11 with bursty duty cycles,
// narrow hops, a microwave oven near 2455 MHz, and now and then a sweep of gap filler.
// Deterministic for a seed.
class SyntheticSweeps
{
public:
    explicit SyntheticSweeps(int numColumns = 501, unsigned seed = 1, qint64 start = 1700000000000,
                             int periodMs = 45)
        : m_numColumns(numColumns)
        , m_rng(seed)
        , m_time(start)
        , m_period(periodMs)
    { }

    RfSpectrumSample next()
    {
        RfSpectrumSample sample;
        sample.timestamp = m_time;
        m_time += m_period;
        sample.scan.resize(m_numColumns);
        std::normal_distribution<double> noise(-95.0, 1.8);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int j = 0; j < m_numColumns; ++j)
            sample.scan[j] = clamp(noise(m_rng));
        const double mhzPerColumn = 100.0 / (m_numColumns - 1);
        // Access points: 20 MHz wide, bursty.
        const double centres[] = {2412.0, 2437.0, 2462.0};
        const double levels[] = {-52.0, -64.0, -71.0};
        for (int ap = 0; ap < 3; ++ap) {
            if (unit(m_rng) > 0.35)
                continue;
            const double level = levels[ap] + 6.0 * (unit(m_rng) - 0.5);
            for (int j = 0; j < m_numColumns; ++j) {
                const double f = 2400.0 + j * mhzPerColumn;
                const double off = std::abs(f - centres[ap]);
                if (off < 10.0) {
                    const double edge = off < 8.0 ? 0.0 : (off - 8.0) * 9.0;
                    raise(sample.scan[j], level - edge + 2.0 * (unit(m_rng) - 0.5));
                }
            }
        }
        // Narrow hops.
        for (int hop = 0; hop < 2; ++hop) {
            const int j = int(unit(m_rng) * m_numColumns);
            const double level = -60.0 - 25.0 * unit(m_rng);
            for (int d = -2; d <= 2 && j + d < m_numColumns; ++d) {
                if (j + d >= 0)
                    raise(sample.scan[j + d], level - 6.0 * std::abs(d));
            }
        }
        // Microwave oven, on half of the time.
        if ((m_time / 1000) % 4 < 2) {
            for (int j = 0; j < m_numColumns; ++j) {
                const double f = 2400.0 + j * mhzPerColumn;
                if (f > 2448.0 && f < 2462.0)
                    raise(sample.scan[j], -58.0 - 12.0 * unit(m_rng));
            }
        }
        return sample;
    }

    QList<RfSpectrumSample> take(int count)
    {
        QList<RfSpectrumSample> samples;
        for (int i = 0; i < count; ++i)
            samples.append(next());
        return samples;
    }

private:
    static qint8 clamp(double v) { return qint8(qBound(-128.0, std::round(v), 127.0)); }
    static void raise(qint8 &value, double level) { value = qMax(value, clamp(level)); }

    int m_numColumns;
    std::mt19937 m_rng;
    qint64 m_time;
    int m_period;
};
