#include "WrkHostBL.h"

WrkHostBL::WrkHostBL(const QString &portName, DeviceComms *deviceComms,
                     const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rfsa()] { c->hostBL(); }, &RfsaSerialComms::hostBLDone,
                     &DeviceComms::rfsaHostBLDone);
}
