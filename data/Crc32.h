#pragma once

#include <QByteArray>

// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320, initial value and final XOR
// 0xFFFFFFFF): what the radio's ROM bootloader computes over flash, and the checksum of each
// record of a scan journal.
class Crc32
{
public:
    static quint32 of(const QByteArray &bytes);
    static quint32 of(const char *data, qsizetype size);
};
