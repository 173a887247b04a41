#include "RfSpectrumSample.h"

#include "StreamCount.h"

#include <QDataStream>

namespace {
// Smallest encodings: an access point with two empty texts, three integers and a colour.
constexpr qint64 k_minAccessPointBytes = 4 + 4 + 3 * 4 + 11;
// A sweep's time, milliseconds since the epoch, lies between the epoch and the end of the year
// 9999 (the date range the program shows). Anything else is not a time the program wrote, and
// times in that range keep every difference between two of them far from overflowing.
constexpr qint64 k_lastTimestamp = 253402300799999;
} // namespace

bool RfSpectrumSample::operator==(const RfSpectrumSample &other) const
{
    return timestamp == other.timestamp && scan == other.scan && wifiAps == other.wifiAps;
}

QDataStream &operator<<(QDataStream &out, const RfSpectrumSample &sample)
{
    return out << sample.timestamp << sample.scan << sample.wifiAps;
}

QDataStream &operator>>(QDataStream &in, RfSpectrumSample &sample)
{
    in >> sample.timestamp;
    if (in.status() == QDataStream::Ok
        && (sample.timestamp < 0 || sample.timestamp > k_lastTimestamp)) {
        in.setStatus(QDataStream::ReadCorruptData);
        return in;
    }
    StreamCount::readAmplitudes(in, sample.scan);
    StreamCount::readElements(in, sample.wifiAps, k_minAccessPointBytes);
    return in;
}
