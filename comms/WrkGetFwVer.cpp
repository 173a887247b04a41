#include "WrkGetFwVer.h"

WrkGetFwVer::WrkGetFwVer(const QString &portName, DeviceComms *deviceComms,
                         const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rfsa()] { c->getFwVer(); }, &RfsaSerialComms::getFwVerDone,
                     &DeviceComms::rfsaGetFwVerDone);
}
