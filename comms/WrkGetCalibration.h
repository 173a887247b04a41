#pragma once

#include "RfsaWorker.h"

// Reads the calibration array.
class WrkGetCalibration : public RfsaWorker
{
    Q_OBJECT

public:
    WrkGetCalibration(const QString &portName, DeviceComms *deviceComms,
                      const ScanParams &parameters, QObject *parent = nullptr);
};
