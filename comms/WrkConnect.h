#pragma once

#include "RfsaWorker.h"

// Establishes the connection: reads the host's and the radio's firmware version strings
// (skipped when "skipFwVersions" is true), the RF-parameter tables of both bands, and sends the
// connect command, all within one time-out.
class WrkConnect : public RfsaWorker
{
    Q_OBJECT

public:
    WrkConnect(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
               QObject *parent = nullptr);
};
