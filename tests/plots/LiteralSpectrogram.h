#pragma once

#include "data/RfSpectrumSample.h"

#include <QList>
#include <QVector>
#include <algorithm>
#include <cstdlib>

// The spectrogram's statistics computed the direct way, sweep by sweep, cell by cell: the
// reference that the incremental computation must agree with. Kept literal on purpose. A sweep
// of gap filler (every value -128) is skipped: it counts in no statistic.
struct LiteralSpectrogram
{
    int numColumns = 0;
    int numRows = 0;
    QVector<double> density;
    QVector<double> tips;
    QVector<double> average;
    QVector<signed char> max;
    int top = -128;

    static LiteralSpectrogram compute(const QList<RfSpectrumSample> &samples, int yMin, int yMax)
    {
        LiteralSpectrogram out;
        const int h = yMax - yMin;
        const int n = samples.first().scan.size();
        out.numColumns = n;
        out.numRows = h;
        out.density.fill(0.0, h * n);
        out.tips.fill(0.0, h * n);
        out.average.fill(0.0, n);
        out.max.fill(-128, n);
        QList<RfSpectrumSample> measured;
        for (const RfSpectrumSample &sample : samples) {
            if (!std::all_of(sample.scan.cbegin(), sample.scan.cend(),
                             [](qint8 v) { return v == -128; }))
                measured.append(sample);
        }
        if (measured.isEmpty())
            out.average.fill(-128.0, n);
        const double w = 1.0 / measured.size();
        for (const RfSpectrumSample &sample : measured) {
            for (int j = 0; j < n; ++j) {
                const int v = sample.scan.at(j);
                const int k = h - std::abs(v - yMax);
                if (k > 0) {
                    for (int r = 0; r < k; ++r)
                        out.density[r * n + j] += w;
                    if (yMin <= v && v < yMax) {
                        double &tip = out.tips[(k - 1) * n + j];
                        tip = tip == 0.0 ? 1.0 : tip / 2.0;
                    }
                }
                out.average[j] += double(v) / measured.size();
                out.max[j] = qMax(out.max.at(j), static_cast<signed char>(v));
                out.top = qMax(out.top, v);
            }
        }
        return out;
    }
};
