#include "WrkRblCmdGetChipId.h"

WrkRblCmdGetChipId::WrkRblCmdGetChipId(const QString &portName, DeviceComms *deviceComms,
                                       const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rbl()] { c->cmdGetChipId(); }, &RblSerialComms::cmdGetChipIdDone,
                     &DeviceComms::rblCmdGetChipIdDone);
}
