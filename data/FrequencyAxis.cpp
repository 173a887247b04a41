#include "FrequencyAxis.h"

#include "Constants.h"
#include "RecordingFile.h"

#include <cmath>

FrequencyAxis::FrequencyAxis(const ScanParams &params)
    : m_startHz(std::llround(params.value(QStringLiteral("FStart")).toDouble() * 1e6))
    , m_stepHz(std::llround(params.value(QStringLiteral("FStep")).toDouble() * 1e3))
{ }

FrequencyAxis FrequencyAxis::of(const RfSpectrumHistory &history)
{
    return FrequencyAxis(RecordingFile::bandOf(history) == RecordingFile::Band::Band900MHz
                             ? Constants::k_900ScanParams
                             : Constants::k_2400ScanParams);
}

int FrequencyAxis::nearestStep(double megahertz, int steps) const
{
    if (steps <= 0 || m_stepHz <= 0)
        return 0;
    const double offset = (megahertz * 1e6 - double(m_startHz)) / double(m_stepHz);
    if (!(offset > 0.0)) // also NaN
        return 0;
    if (offset >= steps - 1)
        return steps - 1;
    const int below = int(offset);
    return offset - below > 0.5 ? below + 1 : below;
}

std::pair<int, int> FrequencyAxis::stepsWithin(double lowerMHz, double upperMHz, int steps) const
{
    // Beyond any band (and NaN): no step.
    constexpr double k_farMHz = 1e9;
    if (!(lowerMHz <= upperMHz) || !(upperMHz > -k_farMHz) || !(lowerMHz < k_farMHz))
        return {steps, -1};
    const qint64 lowerHz = std::llround(qMax(lowerMHz, -k_farMHz) * 1e6);
    const qint64 upperHz = std::llround(qMin(upperMHz, k_farMHz) * 1e6);
    int first = steps;
    int last = -1;
    for (int j = 0; j < steps; ++j) {
        const qint64 at = hertz(j);
        if (at < lowerHz || at > upperHz)
            continue;
        first = qMin(first, j);
        last = j;
    }
    return {first, last};
}

QwtInterval FrequencyAxis::cells(int steps) const
{
    const double half = stepMegahertz() / 2.0;
    return QwtInterval(megahertz(0) - half, megahertz(qMax(steps, 1) - 1) + half);
}

QString FrequencyAxis::megahertzText(qint64 hertz)
{
    const qint64 magnitude = hertz < 0 ? -hertz : hertz;
    const qint64 kilohertz = (magnitude + 500) / 1000;
    return QStringLiteral("%1%2.%3")
        .arg(hertz < 0 && kilohertz != 0 ? QStringLiteral("-") : QString())
        .arg(kilohertz / 1000)
        .arg(kilohertz % 1000, 3, 10, QLatin1Char('0'));
}
