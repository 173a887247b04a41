#pragma once

#include "RblWorker.h"

// Writes "data" to memory at "address".
class WrkRblCmdMemoryWrite : public RblWorker
{
    Q_OBJECT

public:
    WrkRblCmdMemoryWrite(const QString &portName, DeviceComms *deviceComms,
                         const ScanParams &parameters, QObject *parent = nullptr);
};
