#pragma once

#include "SensorBand.h"
#include "data/RfSpectrumSample.h"

#include <QList>

// Sweeps held in memory while a sensor's data folder takes none: runs of consecutive sweeps of
// one band, in sequence order. Beyond a bound of bytes the oldest go: of what cannot be kept,
// the newest matters most.
class HeldSweeps
{
public:
    struct Run
    {
        quint64 first = 0;
        SensorBand band;
        QList<RfSpectrumSample> samples;
        quint64 end() const { return first + quint64(samples.size()); }
    };

    explicit HeldSweeps(qint64 boundBytes)
        : m_boundBytes(boundBytes)
    { }

    void add(quint64 seq, const SensorBand &band, const RfSpectrumSample &sample);
    const QList<Run> &runs() const { return m_runs; }
    bool isEmpty() const { return m_runs.isEmpty(); }
    Run takeFirst();
    qint64 bytes() const { return m_bytes; }
    // Sweeps that went beyond the bound so far.
    quint64 dropped() const { return m_dropped; }

private:
    static qint64 bytesOf(const RfSpectrumSample &sample);

    const qint64 m_boundBytes;
    QList<Run> m_runs;
    qint64 m_bytes = 0;
    quint64 m_dropped = 0;
};
