#pragma once

#include "RfsaWorker.h"

// Sets the span index in "SpanIndex".
class WrkSetSpanIndex : public RfsaWorker
{
    Q_OBJECT

public:
    WrkSetSpanIndex(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                    QObject *parent = nullptr);
};
