#include "BandAxis.h"

#include "Constants.h"
#include "RecordingFile.h"

BandAxis BandAxis::of(const ScanParams &params)
{
    return {params.value(QStringLiteral("FStart")).toDouble(),
            params.value(QStringLiteral("FStep")).toDouble() / 1000.0};
}

BandAxis BandAxis::of(const RfSpectrumHistory &history)
{
    return of(RecordingFile::bandOf(history) == RecordingFile::Band::Band900MHz
                  ? Constants::k_900ScanParams
                  : Constants::k_2400ScanParams);
}

std::pair<int, int> BandAxis::columnsWithin(double lowerMHz, double upperMHz, int columns) const
{
    // Column by column with the same sum as frequency(), so that every reader of a range
    // takes exactly the same columns, edges included.
    int first = columns;
    int last = -1;
    for (int j = 0; j < columns; ++j) {
        const double mhz = frequency(j);
        if (mhz < lowerMHz || mhz > upperMHz)
            continue;
        first = qMin(first, j);
        last = j;
    }
    return {first, last};
}
