#pragma once

#include "SensorBand.h"
#include "data/RfSpectrumScan.h"

#include <QByteArray>
#include <QVector>

// Sweeps of one band with consecutive sequence numbers, as a sweeps message carries them: the
// band's grid, the first sequence number, each sweep's time stamp (Unix epoch ms, the sensor's
// clock) and its values (`band.steps` signed bytes, dBm) back to back.
struct SweepBatch
{
    SensorBand band;
    quint64 firstSeq = 0;
    QVector<qint64> timestamps;
    QByteArray values;

    int count() const { return timestamps.size(); }
    bool isEmpty() const { return timestamps.isEmpty(); }
    // One past the last sequence number.
    quint64 endSeq() const { return firstSeq + quint64(count()); }
    const qint8 *sweep(int i) const
    {
        return reinterpret_cast<const qint8 *>(values.constData()) + qsizetype(i) * band.steps;
    }
    RfSpectrumScan scan(int i) const;
    void append(qint64 timestamp, const qint8 *sweepValues);
};
