#pragma once

#include "RblWorker.h"

// Reads the status of the bootloader's last command.
class WrkRblCmdGetStatus : public RblWorker
{
    Q_OBJECT

public:
    WrkRblCmdGetStatus(const QString &portName, DeviceComms *deviceComms,
                       const ScanParams &parameters, QObject *parent = nullptr);
};
