#pragma once

#include "data/RfSpectrumHistory.h"

#include <QtGlobal>

// A 2.4 GHz site for the tests of busy frequencies, sweep by sweep: a floor near -95 dBm with a
// few dB of jitter and a stray single-sweep hit now and then (all quiet at -80 dBm but the
// hits), over which a test switches carriers on and off, lets Wi-Fi traffic come in bursts,
// and pads stretches with gap filler. Deterministic.
class QuietAir
{
public:
    static constexpr qint64 k_start = 1765200000000; // 2025-12-08T13:20:00Z

    explicit QuietAir(int sweeps, int periodMs = 100, int columns = 501)
        : m_periodMs(periodMs)
    {
        quint32 state = 12345;
        for (int i = 0; i < sweeps; ++i) {
            RfSpectrumScan scan(columns);
            for (int j = 0; j < columns; ++j)
                scan[j] = qint8(-97 + int(next(state) % 6));
            // A stray hit: a single sweep, a few steps wide.
            if (next(state) % 4 == 0) {
                const int at = int(next(state) % quint32(columns - 3));
                for (int j = at; j < at + 3; ++j)
                    scan[j] = -62;
            }
            m_samples.append({time(i), scan, WifiScan()});
        }
    }

    qint64 time(int sweep) const { return k_start + qint64(sweep) * m_periodMs; }
    int size() const { return m_samples.size(); }

    // Steps first ... last at `level` in sweeps [from, to).
    void carrier(int first, int last, int from, int to, int level)
    {
        for (int i = from; i < to && i < m_samples.size(); ++i) {
            for (int j = first; j <= last; ++j)
                m_samples[i].scan[j] = qint8(qMax(int(m_samples[i].scan[j]), level));
        }
    }

    // Traffic over steps first ... last: bursts of 1 to maxLength sweeps, on about `duty` of
    // the time.
    void bursts(int first, int last, double duty, int maxLength, int level)
    {
        quint32 state = quint32(first * 7919 + last);
        int i = 0;
        while (i < m_samples.size()) {
            const int length = 1 + int(next(state) % quint32(maxLength));
            const bool on = double(next(state) % 1000) < duty * 1000.0;
            if (on)
                carrier(first, last, i, i + length, level);
            i += length;
        }
    }

    // Sweeps [from, to) become gap filler: every value -128.
    void filler(int from, int to)
    {
        for (int i = from; i < to && i < m_samples.size(); ++i)
            m_samples[i].scan.fill(qint8(-128));
    }

    const QList<RfSpectrumSample> &samples() const { return m_samples; }

    RfSpectrumHistory history() const
    {
        RfSpectrumHistory history;
        history.freqInterval = QwtInterval(2400.0, 2500.0);
        history.rssiInterval = QwtInterval(-100.0, -30.0);
        history.samples = SampleStore::fromList(m_samples);
        return history;
    }

private:
    static quint32 next(quint32 &state)
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }

    int m_periodMs;
    QList<RfSpectrumSample> m_samples;
};
