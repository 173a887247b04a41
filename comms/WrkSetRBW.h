#pragma once

#include "RfsaWorker.h"

// Sets the resolution-bandwidth register value in "RBW".
class WrkSetRBW : public RfsaWorker
{
    Q_OBJECT

public:
    WrkSetRBW(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
              QObject *parent = nullptr);
};
