#pragma once

#include "RblWorker.h"

// Reads bytes of memory at "address": as many accesses as the low 8 bits of "size".
class WrkRblCmdMemoryRead : public RblWorker
{
    Q_OBJECT

public:
    WrkRblCmdMemoryRead(const QString &portName, DeviceComms *deviceComms,
                        const ScanParams &parameters, QObject *parent = nullptr);
};
