#pragma once

#include "RblWorker.h"

// Announces a download of "size" bytes to "address".
class WrkRblCmdDownload : public RblWorker
{
    Q_OBJECT

public:
    WrkRblCmdDownload(const QString &portName, DeviceComms *deviceComms,
                      const ScanParams &parameters, QObject *parent = nullptr);
};
