#pragma once

#include "RfsaWorker.h"

// Reads info string "String" of CPU "Cpu" (0: radio, 1: host).
class WrkGetInfoStr : public RfsaWorker
{
    Q_OBJECT

public:
    WrkGetInfoStr(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                  QObject *parent = nullptr);
};
