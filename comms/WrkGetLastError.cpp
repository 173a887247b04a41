#include "WrkGetLastError.h"

WrkGetLastError::WrkGetLastError(const QString &portName, DeviceComms *deviceComms,
                                 const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rfsa()] { c->getLastError(); }, &RfsaSerialComms::getLastErrorDone,
                     &DeviceComms::rfsaGetLastErrorDone);
}
