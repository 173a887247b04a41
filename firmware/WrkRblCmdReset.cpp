#include "WrkRblCmdReset.h"

WrkRblCmdReset::WrkRblCmdReset(const QString &portName, DeviceComms *deviceComms,
                               const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rbl()] { c->cmdReset(); }, &RblSerialComms::cmdResetDone,
                     &DeviceComms::rblCmdResetDone);
}
