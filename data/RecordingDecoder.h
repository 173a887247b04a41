#pragma once

#include "RfSpectrumHistory.h"

#include <QByteArray>
#include <QDataStream>
#include <functional>

class QIODevice;

// Reads a recording from a device that can seek, in large blocks, and decodes the sweeps
// straight from the bytes in memory: a sweep's timestamp, values and access-point count are
// taken from the block in place, and a sweep's access-point list that is byte for byte the one
// before it is not decoded again. The few other fields (the intervals, the events, the labels,
// the project texts, an access-point list that changed) go through the framework's data stream
// over the same bytes.
//
// It makes every check readHistory makes on a data stream over the device, with the same
// outcome: the same fields read, the same sweeps handed on, and the status that stream would
// end with. The device is left just after what was read.
class RecordingDecoder
{
public:
    explicit RecordingDecoder(QIODevice &device);

    QDataStream::Status read(RfSpectrumHistory &history, const SampleSink &sink,
                             const ReadProgress &progress = {});

private:
    // Makes at least `bytes` bytes from the read position lie in the block, or every byte to
    // the end of the device when it holds fewer; returns how many lie there.
    qint64 available(qint64 bytes);
    // Bytes from the read position to the end of the device.
    qint64 left() const;
    const char *here() const { return m_block.constData() + m_pos; }

    // Runs `decode` on a data stream over the bytes from the read position and moves past what
    // it read. A stream that fails before the device's end is run again over more bytes, so
    // that what it reads and the status it ends with are those of a stream over the device.
    QDataStream::Status decodeFields(const std::function<void(QDataStream &in)> &decode,
                                     qint64 expected);
    QDataStream::Status readSamples(const SampleSink &sink, const ReadProgress &progress);
    // The access-point list at the read position (its count is known to be above zero).
    QDataStream::Status readAccessPoints(WifiScan &accessPoints);

    QIODevice &m_device;
    const qint64 m_size;
    // The bytes read from the device and not yet consumed lie in [m_pos, m_end) of m_block,
    // whose first byte is the device's byte m_blockStart.
    qint64 m_blockStart;
    QByteArray m_block;
    qint64 m_pos = 0;
    qint64 m_end = 0;
    bool m_ended = false;
    // The encoding of the last access-point list decoded, and the list.
    QByteArray m_listBytes;
    WifiScan m_list;
};
