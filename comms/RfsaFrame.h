#pragma once

#include <QByteArray>

// The frames of the analyzer's protocol, in both directions: 0x2A, payload length, command
// code, payload and a CRC-16 (high byte first) over everything after the start byte; and the
// protocol's fixed-point numbers.
class RfsaFrame
{
public:
    static constexpr quint8 k_startByte = 0x2A;
    static constexpr quint16 k_crcInit = 0x002A;

    // A complete frame: start byte, length, code, payload, CRC.
    static QByteArray createFrame(quint8 cmd, const QByteArray &payload = QByteArray());
    // CRC-16 (polynomial 0x1021, initial value 0x002A, no reflection, no final XOR).
    static quint16 calcCrc16(const QByteArray &data);
    static void appendCrc16(QByteArray &data);
    // True when the last two bytes of `frame` are the CRC of everything between its start byte
    // and them.
    static bool checkCrc16(const QByteArray &frame);
    // A frequency in MHz as 16-bit integer part and 16-bit fraction (1/65536 MHz), big-endian.
    static QByteArray freqToRadioFormat(double frequencyMHz);
    // A step in kHz as MHz in 16.16 fixed point, big-endian.
    static QByteArray stepToRadioFormat(double frequencyKHz);

    // Big-endian unsigned field of `size` bytes at `offset`; bytes beyond the payload read as
    // zero.
    static quint64 readUnsigned(const QByteArray &payload, int offset, int size);
    static QByteArray bigEndian16(quint16 value);
};
