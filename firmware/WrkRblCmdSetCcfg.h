#pragma once

#include "RblWorker.h"

// Sets field "fieldId" of the customer configuration to "fieldValue".
class WrkRblCmdSetCcfg : public RblWorker
{
    Q_OBJECT

public:
    WrkRblCmdSetCcfg(const QString &portName, DeviceComms *deviceComms,
                     const ScanParams &parameters, QObject *parent = nullptr);
};
