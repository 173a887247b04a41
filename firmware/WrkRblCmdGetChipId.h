#pragma once

#include "RblWorker.h"

// Reads the chip's identifier.
class WrkRblCmdGetChipId : public RblWorker
{
    Q_OBJECT

public:
    WrkRblCmdGetChipId(const QString &portName, DeviceComms *deviceComms,
                       const ScanParams &parameters, QObject *parent = nullptr);
};
