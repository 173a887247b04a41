#include "SweepBatch.h"

RfSpectrumScan SweepBatch::scan(int i) const
{
    RfSpectrumScan out(band.steps);
    std::copy_n(sweep(i), band.steps, out.data());
    return out;
}

void SweepBatch::append(qint64 timestamp, const qint8 *sweepValues)
{
    timestamps.append(timestamp);
    values.append(reinterpret_cast<const char *>(sweepValues), band.steps);
}
