#include "WrkInitParameter.h"

WrkInitParameter::WrkInitParameter(const QString &portName, DeviceComms *deviceComms,
                                   const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rfsa()] { c->initParameter(); }, &RfsaSerialComms::initParameterDone,
                     &DeviceComms::rfsaInitParameterDone);
}
