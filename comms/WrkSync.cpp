#include "WrkSync.h"

WrkSync::WrkSync(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                 QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rfsa()] { c->sync(); }, &RfsaSerialComms::syncDone,
                     &DeviceComms::rfsaSyncDone);
}
