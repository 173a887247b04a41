#pragma once

#include "RfsaWorker.h"

// Resets the radio into its ROM bootloader.
class WrkResetToBootloader : public RfsaWorker
{
    Q_OBJECT

public:
    WrkResetToBootloader(const QString &portName, DeviceComms *deviceComms,
                         const ScanParams &parameters, QObject *parent = nullptr);
};
