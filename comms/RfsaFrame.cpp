#include "RfsaFrame.h"

#include <QtEndian>
#include <cmath>

quint64 RfsaFrame::readUnsigned(const QByteArray &payload, int offset, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i) {
        const int at = offset + i;
        value = (value << 8) | (at < payload.size() ? quint8(payload.at(at)) : 0u);
    }
    return value;
}

QByteArray RfsaFrame::bigEndian16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray RfsaFrame::createFrame(quint8 cmd, const QByteArray &payload)
{
    QByteArray frame;
    frame.reserve(payload.size() + 5);
    frame.append(char(k_startByte));
    frame.append(char(quint8(payload.size())));
    frame.append(char(cmd));
    frame.append(payload);
    frame.append(bigEndian16(calcCrc16(frame.mid(1))));
    return frame;
}

quint16 RfsaFrame::calcCrc16(const QByteArray &data)
{
    // Byte-wise form of the CCITT polynomial 0x1021, most significant bit first.
    quint16 crc = k_crcInit;
    for (const char byte : data) {
        crc = quint16((crc >> 8) | (crc << 8));
        crc ^= quint8(byte);
        crc ^= quint16((crc & 0xFF) >> 4);
        crc ^= quint16(crc << 12);
        crc ^= quint16((crc & 0xFF) << 5);
    }
    return crc;
}

void RfsaFrame::appendCrc16(QByteArray &data)
{
    data.append(bigEndian16(calcCrc16(data)));
}

bool RfsaFrame::checkCrc16(const QByteArray &frame)
{
    if (frame.size() < 3)
        return false;
    const quint16 received = quint16(readUnsigned(frame, frame.size() - 2, 2));
    return received == calcCrc16(frame.mid(1, frame.size() - 3));
}

QByteArray RfsaFrame::freqToRadioFormat(double frequencyMHz)
{
    // The format holds 0 to 65535 + 65535/65536 MHz; anything else (a negative value, NaN) is
    // brought to the nearest end rather than wrapped to an unrelated frequency.
    constexpr double k_max = 65535.0 + 65535.0 / 65536.0;
    double value = frequencyMHz;
    if (!(value >= 0.0))
        value = 0.0;
    if (value > k_max)
        value = k_max;
    quint32 integer = quint32(std::floor(value));
    quint32 fraction = quint32(std::lround((value - integer) * 65536.0));
    // A value just below a whole MHz rounds to a full unit: it belongs to the next MHz.
    if (fraction >= 65536) {
        ++integer;
        fraction = 0;
    }
    return bigEndian16(quint16(integer)) + bigEndian16(quint16(fraction));
}

QByteArray RfsaFrame::stepToRadioFormat(double frequencyKHz)
{
    double scaled = std::round(frequencyKHz * 65536.0 / 1000.0);
    if (!(scaled >= 0.0))
        scaled = 0.0;
    if (scaled > 4294967295.0)
        scaled = 4294967295.0;
    QByteArray bytes(4, '\0');
    qToBigEndian(quint32(scaled), bytes.data());
    return bytes;
}
