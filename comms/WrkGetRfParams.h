#pragma once

#include "RfsaWorker.h"

// Reads the RF-parameter table of the band in "FBand" (0: 900 MHz, 1: 2.4 GHz).
class WrkGetRfParams : public RfsaWorker
{
    Q_OBJECT

public:
    WrkGetRfParams(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                   QObject *parent = nullptr);
};
