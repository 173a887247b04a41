#include "RfSpectrumSample.h"

#include "StreamCount.h"

#include <QDataStream>

namespace {
// Smallest encodings: an access point with two empty texts, three integers and a colour.
constexpr qint64 k_minAccessPointBytes = 4 + 4 + 3 * 4 + 11;
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
    StreamCount::readAmplitudes(in, sample.scan);
    StreamCount::readElements(in, sample.wifiAps, k_minAccessPointBytes);
    return in;
}
