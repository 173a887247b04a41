#pragma once

#include "RfsaWorker.h"

// Sends the host MCU into its firmware-update boot mode. The host may leave without
// acknowledging; the controller takes that time-out as success.
class WrkHostBL : public RfsaWorker
{
    Q_OBJECT

public:
    WrkHostBL(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
              QObject *parent = nullptr);
};
