#pragma once

#include "RfsaWorker.h"

// Sets the step count in "StepCount".
class WrkSetStepCount : public RfsaWorker
{
    Q_OBJECT

public:
    WrkSetStepCount(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                    QObject *parent = nullptr);
};
