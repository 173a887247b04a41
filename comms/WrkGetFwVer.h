#pragma once

#include "RfsaWorker.h"

// Reads the radio's firmware version.
class WrkGetFwVer : public RfsaWorker
{
    Q_OBJECT

public:
    WrkGetFwVer(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                QObject *parent = nullptr);
};
