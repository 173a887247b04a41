#pragma once

#include "RfsaWorker.h"

// Sends a sync command.
class WrkSync : public RfsaWorker
{
    Q_OBJECT

public:
    WrkSync(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
            QObject *parent = nullptr);
};
