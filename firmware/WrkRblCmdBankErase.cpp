#include "WrkRblCmdBankErase.h"

WrkRblCmdBankErase::WrkRblCmdBankErase(const QString &portName, DeviceComms *deviceComms,
                                       const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rbl()] { c->cmdBankErase(); }, &RblSerialComms::cmdBankEraseDone,
                     &DeviceComms::rblCmdBankEraseDone);
}
