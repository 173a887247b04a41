#pragma once

#include "RfsaWorker.h"

// Tells the analyzer that the program disconnects; its acknowledgement closes the port. It
// waits 100 ms at most. A disconnect that fails or stays unanswered raises no message: it is
// reported to the controller as unanswered, and the controller ends disconnected either way.
class WrkDisconnectCmd : public RfsaWorker
{
    Q_OBJECT

public:
    static constexpr int k_timeoutMs = 100;

    WrkDisconnectCmd(const QString &portName, DeviceComms *deviceComms,
                     const ScanParams &parameters, QObject *parent = nullptr);
};
