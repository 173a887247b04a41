#include "SimulatedFrameCodec.h"

#include <array>

namespace {

std::array<quint16, 256> makeTable()
{
    std::array<quint16, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        quint16 crc = quint16(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = quint16((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        table[size_t(byte)] = crc;
    }
    return table;
}

} // namespace

quint16 SimulatedFrameCodec::crc16(const QByteArray &data)
{
    static const std::array<quint16, 256> table = makeTable();
    quint16 crc = 0x002A;
    for (const char byte : data)
        crc = quint16((crc << 8) ^ table[size_t(((crc >> 8) ^ quint8(byte)) & 0xFF)]);
    return crc;
}

QByteArray SimulatedFrameCodec::frame(quint8 code, const QByteArray &payload)
{
    Q_ASSERT(payload.size() <= k_maxPayload);
    QByteArray bytes;
    bytes.reserve(payload.size() + k_overhead);
    bytes.append(char(k_startByte));
    bytes.append(char(quint8(payload.size())));
    bytes.append(char(code));
    bytes.append(payload);
    const quint16 crc = crc16(bytes.mid(1));
    bytes.append(char(crc >> 8));
    bytes.append(char(crc & 0xFF));
    return bytes;
}

bool SimulatedFrameCodec::isValid(const QByteArray &frame)
{
    if (frame.size() < k_overhead || quint8(frame.at(0)) != k_startByte
        || frame.size() != quint8(frame.at(1)) + k_overhead)
        return false;
    const quint16 crc
        = quint16(quint8(frame.at(frame.size() - 2)) << 8) | quint8(frame.at(frame.size() - 1));
    return crc == crc16(frame.mid(1, frame.size() - 3));
}
