#include "WrkResetToBootloader.h"

WrkResetToBootloader::WrkResetToBootloader(const QString &portName, DeviceComms *deviceComms,
                                           const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rfsa()] { c->resetToBootloader(); },
                     &RfsaSerialComms::resetToBootloaderDone,
                     &DeviceComms::rfsaResetToBootloaderDone);
}
