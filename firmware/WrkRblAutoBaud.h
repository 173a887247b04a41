#pragma once

#include "RblWorker.h"

// Synchronises the bootloader on the auto-baud pattern.
class WrkRblAutoBaud : public RblWorker
{
    Q_OBJECT

public:
    WrkRblAutoBaud(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                   QObject *parent = nullptr);
};
