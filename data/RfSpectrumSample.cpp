#include "RfSpectrumSample.h"

#include "StreamCount.h"

#include <QDataStream>

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
    if (in.status() == QDataStream::Ok && !RfSpectrumSample::isValidTimestamp(sample.timestamp)) {
        in.setStatus(QDataStream::ReadCorruptData);
        return in;
    }
    StreamCount::readAmplitudes(in, sample.scan);
    StreamCount::readElements(in, sample.wifiAps, WifiApInfo::k_minEncodedBytes);
    return in;
}
