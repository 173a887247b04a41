#pragma once

#include "RfsaWorker.h"

// Sets the span in "Span", MHz.
class WrkSetSpan : public RfsaWorker
{
    Q_OBJECT

public:
    WrkSetSpan(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
               QObject *parent = nullptr);
};
