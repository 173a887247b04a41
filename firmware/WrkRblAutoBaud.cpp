#include "WrkRblAutoBaud.h"

WrkRblAutoBaud::WrkRblAutoBaud(const QString &portName, DeviceComms *deviceComms,
                               const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rbl()] { c->autoBaud(); }, &RblSerialComms::autoBaudDone,
                     &DeviceComms::rblAutoBaudDone);
}
