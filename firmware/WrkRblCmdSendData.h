#pragma once

#include "RblWorker.h"

// Sends "data" for the download announced before.
class WrkRblCmdSendData : public RblWorker
{
    Q_OBJECT

public:
    WrkRblCmdSendData(const QString &portName, DeviceComms *deviceComms,
                      const ScanParams &parameters, QObject *parent = nullptr);
};
