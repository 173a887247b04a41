#pragma once

#include "RfsaWorker.h"

// Sets the frequency step in "FStep", kHz.
class WrkSetFStep : public RfsaWorker
{
    Q_OBJECT

public:
    WrkSetFStep(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                QObject *parent = nullptr);
};
