#pragma once

#include "RfsaWorker.h"

// Reads the analyzer's device version.
class WrkGetDeviceVer : public RfsaWorker
{
    Q_OBJECT

public:
    WrkGetDeviceVer(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                    QObject *parent = nullptr);
};
