#pragma once

#include "RfsaWorker.h"

// Runs the parameter initialisation, which has no frame of its own: it sends nothing
// and always ends by its time-out.
class WrkInitParameter : public RfsaWorker
{
    Q_OBJECT

public:
    WrkInitParameter(const QString &portName, DeviceComms *deviceComms,
                     const ScanParams &parameters, QObject *parent = nullptr);
};
