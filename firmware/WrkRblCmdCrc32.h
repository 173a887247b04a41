#pragma once

#include "RblWorker.h"

// Reads the CRC-32 of "size" bytes of flash at "address".
class WrkRblCmdCrc32 : public RblWorker
{
    Q_OBJECT

public:
    WrkRblCmdCrc32(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                   QObject *parent = nullptr);
};
