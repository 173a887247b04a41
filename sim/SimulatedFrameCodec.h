#pragma once

#include <QByteArray>

// The analyzer's frame format as the device writes it: 0x2A, payload length, command code,
// payload, CRC-16 high byte first. Written apart from the program's own protocol class, so that
// each side checks the other.
class SimulatedFrameCodec
{
public:
    static constexpr quint8 k_startByte = 0x2A;
    static constexpr int k_overhead = 5;
    static constexpr int k_maxPayload = 255;

    // CRC-16/CCITT over `data`, initial value 0x002A, table-driven.
    static quint16 crc16(const QByteArray &data);
    // A frame for `code` and `payload`; the payload must not exceed 255 bytes.
    static QByteArray frame(quint8 code, const QByteArray &payload = QByteArray());
    // True when `frame` is complete and its CRC matches.
    static bool isValid(const QByteArray &frame);
};
