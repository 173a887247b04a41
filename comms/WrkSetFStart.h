#pragma once

#include "RfsaWorker.h"

// Sets the start frequency in "FStart", MHz.
class WrkSetFStart : public RfsaWorker
{
    Q_OBJECT

public:
    WrkSetFStart(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                 QObject *parent = nullptr);
};
