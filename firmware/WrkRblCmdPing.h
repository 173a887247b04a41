#pragma once

#include "RblWorker.h"

// Pings the bootloader.
class WrkRblCmdPing : public RblWorker
{
    Q_OBJECT

public:
    WrkRblCmdPing(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                  QObject *parent = nullptr);
};
