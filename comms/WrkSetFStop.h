#pragma once

#include "RfsaWorker.h"

// Sets the stop frequency in "FStop", MHz.
class WrkSetFStop : public RfsaWorker
{
    Q_OBJECT

public:
    WrkSetFStop(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                QObject *parent = nullptr);
};
