#pragma once

#include "RfsaWorker.h"

// The scan loop: requests a sweep, hands it over to the controller and requests the next, until
// the controller's stopScanning(). The time-out guards only the request: it stops once the
// analyzer acknowledges, so a sweep may take as long as the radio needs. The hand-over blocks
// until the controller's listeners have taken the sweep, so one sweep at most is in flight.
// A stop that arrives before the loop runs (right after its creation) is kept and ends the loop
// before its first request.
class WrkScan : public RfsaWorker
{
    Q_OBJECT

public:
    WrkScan(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
            QObject *parent = nullptr);

Q_SIGNALS:
    // Ends the loop from the main state.
    void stopNow();

private:
    void onStopRequested();
    void onMainStateEntered();

    bool m_stopRequested = false;
};
