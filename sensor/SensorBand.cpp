#include "SensorBand.h"

#include "data/Constants.h"

#include <cmath>

namespace {

SensorBand fromParams(int mhz, const ScanParams &params, int steps)
{
    SensorBand band;
    band.mhz = mhz;
    band.fstartHz = quint32(std::llround(params.value(QStringLiteral("FStart")).toDouble() * 1e6));
    band.fstepHz = quint32(std::llround(params.value(QStringLiteral("FStep")).toDouble() * 1e3));
    band.steps = quint16(steps);
    return band;
}

} // namespace

QString SensorBand::label() const
{
    return QStringLiteral("%1 MHz").arg(mhz);
}

ScanParams SensorBand::params() const
{
    if (mhz == 900)
        return Constants::k_900ScanParams;
    if (mhz == 2400)
        return Constants::k_2400ScanParams;
    return {};
}

QwtInterval SensorBand::frequencyInterval() const
{
    const ScanParams p = params();
    const double start = p.value(QStringLiteral("FStart")).toDouble();
    return QwtInterval(start, start + p.value(QStringLiteral("Span")).toDouble());
}

SensorBand SensorBand::of(int mhz)
{
    if (mhz == 2400)
        return fromParams(2400, Constants::k_2400ScanParams, Constants::k_samplesPerScan2400);
    if (mhz == 900)
        return fromParams(900, Constants::k_900ScanParams, Constants::k_samplesPerScan900);
    return {};
}

SensorBand SensorBand::matching(quint32 fstartHz, quint32 fstepHz, quint16 steps)
{
    for (const int mhz : {2400, 900}) {
        const SensorBand band = of(mhz);
        if (band.fstartHz == fstartHz && band.fstepHz == fstepHz && band.steps == steps)
            return band;
    }
    return {};
}
