#pragma once

#include "RblWorker.h"

// Erases the whole flash bank.
class WrkRblCmdBankErase : public RblWorker
{
    Q_OBJECT

public:
    WrkRblCmdBankErase(const QString &portName, DeviceComms *deviceComms,
                       const ScanParams &parameters, QObject *parent = nullptr);
};
