#pragma once

#include "RfsaWorker.h"

// Programs a band's sweep from a band parameter map, in the fixed order band, start, stop,
// resolution bandwidth, step, step count, span and span index. A missing key sends 0.
class WrkSetup : public RfsaWorker
{
    Q_OBJECT

public:
    WrkSetup(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
             QObject *parent = nullptr);
};
