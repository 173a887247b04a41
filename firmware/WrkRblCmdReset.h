#pragma once

#include "RblWorker.h"

// Resets the chip, which then starts its firmware.
class WrkRblCmdReset : public RblWorker
{
    Q_OBJECT

public:
    WrkRblCmdReset(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                   QObject *parent = nullptr);
};
