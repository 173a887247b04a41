#include "WrkRblCmdGetStatus.h"

WrkRblCmdGetStatus::WrkRblCmdGetStatus(const QString &portName, DeviceComms *deviceComms,
                                       const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rbl()] { c->cmdGetStatus(); }, &RblSerialComms::cmdGetStatusDone,
                     &DeviceComms::rblCmdGetStatusDone);
}
