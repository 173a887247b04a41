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

QDataStream &operator<<(QDataStream &out, const SampleStore &samples)
{
    out << qint32(samples.size());
    // Samples of one Wi-Fi scan share its list: it is encoded once and its bytes written again.
    WifiScan encodedList;
    QByteArray encoded;
    for (int i = 0; i < samples.size(); ++i) {
        out << samples.timestamp(i);
        int length = 0;
        const char *values = samples.ownValues(i, &length);
        out << qint32(length);
        out.writeRawData(values, length);
        const WifiScan &accessPoints = samples.accessPoints(i);
        if (encoded.isEmpty() || accessPoints != encodedList) {
            encodedList = accessPoints;
            encoded.clear();
            QDataStream list(&encoded, QIODevice::WriteOnly);
            list.setVersion(out.version());
            list << accessPoints;
        }
        out.writeRawData(encoded.constData(), encoded.size());
    }
    return out;
}

namespace {

void readSamples(QDataStream &in, const SampleSink &sink, const ReadProgress &progress)
{
    const qint32 count = StreamCount::read(in, k_minSampleBytes);
    RfSpectrumSample sample;
    WifiScan previous;
    for (qint32 i = 0; i < count; ++i) {
        if (progress && i % 4096 == 0 && !progress(i, count)) {
            in.setStatus(QDataStream::ReadCorruptData);
            return;
        }
        in >> sample.timestamp;
        if (in.status() == QDataStream::Ok && !RfSpectrumSample::isValidTimestamp(sample.timestamp))
            in.setStatus(QDataStream::ReadCorruptData);
        StreamCount::readAmplitudes(in, sample.scan);
        StreamCount::readElements(in, sample.wifiAps, WifiApInfo::k_minEncodedBytes);
        if (in.status() != QDataStream::Ok)
            return;
        // Equal to the sample before's, the list is that one, shared.
        if (sample.wifiAps == previous)
            sample.wifiAps = previous;
        else
            previous = sample.wifiAps;
        sink(sample);
    }
    if (progress && count > 0)
        progress(count, count);
}

} // namespace

void readHistory(QDataStream &in, RfSpectrumHistory &history, const SampleSink &sink,
                 const ReadProgress &progress)
{
    in >> history.freqInterval >> history.rssiInterval;
    readSamples(in, sink, progress);
    StreamCount::readElements(in, history.timeEvents, k_minTimeEventBytes);
    StreamCount::readElements(in, history.labels, k_minLabelBytes);
    in >> history.projectInfo;
}

QDataStream &operator<<(QDataStream &out, const RfSpectrumHistory &history)
{
    return out << history.freqInterval << history.rssiInterval << history.samples
               << history.timeEvents << history.labels << history.projectInfo;
}

QDataStream &operator>>(QDataStream &in, RfSpectrumHistory &history)
{
    history.samples.clear();
    SampleStore &samples = history.samples;
    readHistory(in, history,
                [&samples](const RfSpectrumSample &sample) { samples.append(sample); });
    return in;
}
