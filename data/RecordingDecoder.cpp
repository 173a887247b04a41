#include "RecordingDecoder.h"

#include "QwtIntervalStream.h"
#include "StreamCount.h"

#include <QBuffer>
#include <QIODevice>
#include <QtEndian>
#include <cstring>

namespace {

// Large enough that reading costs a few system calls per megabyte, small enough to stay in
// the processor's cache while its sweeps are decoded.
constexpr qint64 k_blockBytes = 1 << 20;
// The most the block grows to for one field (a list or a text that long is damage).
constexpr qint64 k_maxBlockBytes = 1 << 30;
// The smallest encodings readHistory bounds the lists' counts with.
constexpr qint64 k_minSampleBytes = 8 + 4 + 4;
constexpr qint64 k_minTimeEventBytes = 8 + 4 + 1 + 4;
constexpr qint64 k_minLabelBytes = 16 + 4;
// A sweep's timestamp, value count and access-point count.
constexpr qint64 k_timestampBytes = 8;
constexpr qint64 k_countBytes = 4;

} // namespace

RecordingDecoder::RecordingDecoder(QIODevice &device)
    : m_device(device)
    , m_size(device.size())
    , m_blockStart(device.pos())
{ }

qint64 RecordingDecoder::left() const
{
    return m_size - (m_blockStart + m_pos);
}

qint64 RecordingDecoder::available(qint64 bytes)
{
    if (m_end - m_pos >= bytes || m_ended)
        return m_end - m_pos;
    // What is left of the block moves to its start, and the rest of the block is read.
    const qint64 kept = m_end - m_pos;
    if (m_pos > 0) {
        memmove(m_block.data(), m_block.constData() + m_pos, size_t(kept));
        m_blockStart += m_pos;
        m_pos = 0;
        m_end = kept;
    }
    // A block no larger than the device needs: a short recording costs its own size.
    const qint64 wanted
        = qMin(qMax(bytes, qMin(k_blockBytes, m_size - m_blockStart)), k_maxBlockBytes);
    if (m_block.size() < wanted)
        m_block.resize(int(wanted));
    while (m_end < m_block.size()) {
        const qint64 got = m_device.read(m_block.data() + m_end, m_block.size() - m_end);
        if (got <= 0) {
            m_ended = true;
            break;
        }
        m_end += got;
    }
    return m_end - m_pos;
}

QDataStream::Status
RecordingDecoder::decodeFields(const std::function<void(QDataStream &in)> &decode, qint64 expected)
{
    qint64 wanted = expected;
    for (;;) {
        const qint64 have = available(wanted);
        QByteArray bytes = QByteArray::fromRawData(here(), int(have));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QDataStream in(&buffer);
        in.setVersion(QDataStream::Qt_5_15);
        decode(in);
        // A count checked against the bytes left, a text or a list cut off: over fewer bytes
        // than the device holds, a failure may be the block's end and not the device's.
        if (in.status() == QDataStream::Ok || m_ended || have >= k_maxBlockBytes) {
            m_pos += buffer.pos();
            return in.status();
        }
        wanted = qMax(2 * have, k_blockBytes);
    }
}

QDataStream::Status RecordingDecoder::readAccessPoints(WifiScan &accessPoints)
{
    // Sweeps of one Wi-Fi scan carry the same list: compared as bytes, it is the list before,
    // shared.
    const qint64 known = m_listBytes.size();
    if (known > 0 && available(known) >= known
        && memcmp(here(), m_listBytes.constData(), size_t(known)) == 0) {
        accessPoints = m_list;
        m_pos += known;
        return QDataStream::Ok;
    }
    const qint64 start = m_blockStart + m_pos;
    const QDataStream::Status status = decodeFields(
        [&accessPoints](QDataStream &in) {
            StreamCount::readElements(in, accessPoints, WifiApInfo::k_minEncodedBytes);
        },
        qMax<qint64>(2 * known, 4096));
    if (status != QDataStream::Ok)
        return status;
    // The list read lies just before the read position (the block may have moved).
    const qint64 length = m_blockStart + m_pos - start;
    m_listBytes = QByteArray(here() - length, int(length));
    // Equal to the list before (in other bytes), it is that one, shared.
    if (accessPoints == m_list)
        accessPoints = m_list;
    else
        m_list = accessPoints;
    return status;
}

QDataStream::Status RecordingDecoder::readSamples(const SampleSink &sink,
                                                  const ReadProgress &progress)
{
    if (available(k_countBytes) < k_countBytes)
        return QDataStream::ReadPastEnd;
    const qint32 count = qFromBigEndian<qint32>(here());
    m_pos += k_countBytes;
    if (count < 0 || qint64(count) * k_minSampleBytes > left())
        return QDataStream::ReadCorruptData;

    RfSpectrumSample sample;
    for (qint32 i = 0; i < count; ++i) {
        if (progress && i % 4096 == 0 && !progress(i, count))
            return QDataStream::ReadCorruptData;
        // The checks of a field-by-field reading, in its order: the time, the value count,
        // the values, the access-point count.
        constexpr qint64 k_head = k_timestampBytes + k_countBytes;
        qint64 have = available(k_head);
        if (have < k_timestampBytes)
            return QDataStream::ReadPastEnd;
        sample.timestamp = qFromBigEndian<qint64>(here());
        if (!RfSpectrumSample::isValidTimestamp(sample.timestamp))
            return QDataStream::ReadCorruptData;
        if (have < k_head)
            return QDataStream::ReadPastEnd;
        const qint32 values = qFromBigEndian<qint32>(here() + k_timestampBytes);
        if (values < 0 || values > StreamCount::k_maxAmplitudes)
            return QDataStream::ReadCorruptData;
        const qint64 fixed = k_head + values + k_countBytes;
        have = available(fixed);
        if (have < fixed)
            return QDataStream::ReadPastEnd;
        sample.scan.resize(values);
        if (values > 0)
            memcpy(sample.scan.data(), here() + k_head, size_t(values));
        const qint32 accessPoints = qFromBigEndian<qint32>(here() + k_head + values);
        if (accessPoints < 0
            || qint64(accessPoints) * WifiApInfo::k_minEncodedBytes > left() - fixed)
            return QDataStream::ReadCorruptData;
        if (accessPoints == 0) {
            m_pos += fixed;
            sample.wifiAps.clear();
            if (!m_listBytes.isEmpty()) {
                m_list.clear();
                m_listBytes.clear();
            }
        } else {
            m_pos += fixed - k_countBytes;
            const QDataStream::Status status = readAccessPoints(sample.wifiAps);
            if (status != QDataStream::Ok)
                return status;
        }
        sink(sample);
    }
    if (progress && count > 0)
        progress(count, count);
    return QDataStream::Ok;
}

QDataStream::Status RecordingDecoder::read(RfSpectrumHistory &history, const SampleSink &sink,
                                           const ReadProgress &progress)
{
    // The two intervals, 40 bytes.
    QDataStream::Status status = decodeFields(
        [&history](QDataStream &in) { in >> history.freqInterval >> history.rssiInterval; }, 40);
    if (status == QDataStream::Ok)
        status = readSamples(sink, progress);
    if (status == QDataStream::Ok)
        status = decodeFields(
            [&history](QDataStream &in) {
                StreamCount::readElements(in, history.timeEvents, k_minTimeEventBytes);
                StreamCount::readElements(in, history.labels, k_minLabelBytes);
                in >> history.projectInfo;
            },
            k_blockBytes);
    // The device is left just after the bytes read.
    m_device.seek(m_blockStart + m_pos);
    return status;
}
