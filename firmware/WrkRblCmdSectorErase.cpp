#include "WrkRblCmdSectorErase.h"

WrkRblCmdSectorErase::WrkRblCmdSectorErase(const QString &portName, DeviceComms *deviceComms,
                                           const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    const uint address = number(parameters, "address");
    runSingleCommand([c = rbl(), address] { c->cmdSectorErase(address); },
                     &RblSerialComms::cmdSectorEraseDone, &DeviceComms::rblCmdSectorEraseDone);
}
