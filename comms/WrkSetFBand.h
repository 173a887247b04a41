#pragma once

#include "RfsaWorker.h"

// Sets the band in "FBand" (1: 900 MHz, 2: 2.4 GHz).
class WrkSetFBand : public RfsaWorker
{
    Q_OBJECT

public:
    WrkSetFBand(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                QObject *parent = nullptr);
};
