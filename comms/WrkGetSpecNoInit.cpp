#include "WrkGetSpecNoInit.h"

WrkGetSpecNoInit::WrkGetSpecNoInit(const QString &portName, DeviceComms *deviceComms,
                                   const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rfsa()] { c->getSpecNoInit(); }, &RfsaSerialComms::getSpecNoInitDone,
                     &DeviceComms::rfsaGetSpecNoInitDone);
}
