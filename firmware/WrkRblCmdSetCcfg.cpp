#include "WrkRblCmdSetCcfg.h"

WrkRblCmdSetCcfg::WrkRblCmdSetCcfg(const QString &portName, DeviceComms *deviceComms,
                                   const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    const uint fieldId = number(parameters, "fieldId");
    const uint fieldValue = number(parameters, "fieldValue");
    runSingleCommand([c = rbl(), fieldId, fieldValue] { c->cmdSetCcfg(fieldId, fieldValue); },
                     &RblSerialComms::cmdSetCcfgDone, &DeviceComms::rblCmdSetCcfgDone);
}
