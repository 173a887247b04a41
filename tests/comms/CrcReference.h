#pragma once

#include <QByteArray>

// The analyzer's CRC computed the plain way, one bit at a time: polynomial 0x1021, most
// significant bit first, initial value 0x002A, no reflection, no final XOR.
inline quint16 referenceCrc16(const QByteArray &data)
{
    quint16 crc = 0x002A;
    for (const char byte : data) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool in = (quint8(byte) >> bit) & 1;
            const bool top = crc & 0x8000;
            crc = quint16(crc << 1);
            if (in != top)
                crc ^= 0x1021;
        }
    }
    return crc;
}

// A frame built by hand: start byte, length, code, payload, CRC high byte first.
inline QByteArray referenceFrame(quint8 code, const QByteArray &payload = QByteArray())
{
    QByteArray frame;
    frame.append(char(0x2A));
    frame.append(char(quint8(payload.size())));
    frame.append(char(code));
    frame.append(payload);
    const quint16 crc = referenceCrc16(frame.mid(1));
    frame.append(char(crc >> 8));
    frame.append(char(crc & 0xFF));
    return frame;
}
