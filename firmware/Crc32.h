#pragma once

#include <QByteArray>

// CRC-32 as the radio's ROM bootloader computes it over flash (IEEE 802.3: reflected
// polynomial 0xEDB88320, initial value and final XOR 0xFFFFFFFF).
class Crc32
{
public:
    static quint32 of(const QByteArray &bytes);
};
