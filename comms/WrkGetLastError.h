#pragma once

#include "RfsaWorker.h"

// Reads and clears the analyzer's last error.
class WrkGetLastError : public RfsaWorker
{
    Q_OBJECT

public:
    WrkGetLastError(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                    QObject *parent = nullptr);
};
