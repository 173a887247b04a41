#pragma once

#include "RfsaWorker.h"

// Sends the connect command alone.
class WrkConnectCmd : public RfsaWorker
{
    Q_OBJECT

public:
    WrkConnectCmd(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                  QObject *parent = nullptr);
};
