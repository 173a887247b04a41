#include "WrkRblCmdPing.h"

WrkRblCmdPing::WrkRblCmdPing(const QString &portName, DeviceComms *deviceComms,
                             const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rbl()] { c->cmdPing(); }, &RblSerialComms::cmdPingDone,
                     &DeviceComms::rblCmdPingDone);
}
