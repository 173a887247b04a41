#pragma once

#include "RfsaWorker.h"

// Reads one sweep. Unlike the scan loop it keeps its time-out running after the
// acknowledgement: the whole sweep must arrive within it.
class WrkGetSpecNoInit : public RfsaWorker
{
    Q_OBJECT

public:
    WrkGetSpecNoInit(const QString &portName, DeviceComms *deviceComms,
                     const ScanParams &parameters, QObject *parent = nullptr);
};
