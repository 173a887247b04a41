#include "RfSpectrumHistory.h"

#include "QwtIntervalStream.h"
#include "StreamCount.h"

#include <QDataStream>

namespace {
// Smallest encodings of one element of each list, used to reject counts the stream cannot hold.
constexpr qint64 k_minSampleBytes = 8 + 4 + 4; // timestamp, two empty counts
constexpr qint64 k_minTimeEventBytes = 8 + 4 + 1 + 4; // date-time, empty text
constexpr qint64 k_minLabelBytes = 16 + 4; // point, empty text
} // namespace

bool RfSpectrumHistory::operator==(const RfSpectrumHistory &other) const
{
    return freqInterval == other.freqInterval && rssiInterval == other.rssiInterval
        && samples == other.samples && timeEvents == other.timeEvents && labels == other.labels
        && projectInfo == other.projectInfo;
}

QDataStream &operator<<(QDataStream &out, const RfSpectrumHistory &history)
{
    return out << history.freqInterval << history.rssiInterval << history.samples
               << history.timeEvents << history.labels << history.projectInfo;
}

QDataStream &operator>>(QDataStream &in, RfSpectrumHistory &history)
{
    in >> history.freqInterval >> history.rssiInterval;
    StreamCount::readElements(in, history.samples, k_minSampleBytes);
    StreamCount::readElements(in, history.timeEvents, k_minTimeEventBytes);
    StreamCount::readElements(in, history.labels, k_minLabelBytes);
    return in >> history.projectInfo;
}
