#include "WrkGetDeviceVer.h"

WrkGetDeviceVer::WrkGetDeviceVer(const QString &portName, DeviceComms *deviceComms,
                                 const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rfsa()] { c->getDeviceVer(); }, &RfsaSerialComms::getDeviceVerDone,
                     &DeviceComms::rfsaGetDeviceVerDone);
}
