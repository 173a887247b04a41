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

QString FrequencyAxis::megahertzText(qint64 hertz)
{
    const qint64 magnitude = hertz < 0 ? -hertz : hertz;
    const qint64 kilohertz = (magnitude + 500) / 1000;
    return QStringLiteral("%1%2.%3")
        .arg(hertz < 0 && kilohertz != 0 ? QStringLiteral("-") : QString())
        .arg(kilohertz / 1000)
        .arg(kilohertz % 1000, 3, 10, QLatin1Char('0'));
}
