#pragma once

#include "RblWorker.h"

// Erases the flash sector at "address".
class WrkRblCmdSectorErase : public RblWorker
{
    Q_OBJECT

public:
    WrkRblCmdSectorErase(const QString &portName, DeviceComms *deviceComms,
                         const ScanParams &parameters, QObject *parent = nullptr);
};
