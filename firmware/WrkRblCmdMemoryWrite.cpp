#include "WrkRblCmdMemoryWrite.h"

WrkRblCmdMemoryWrite::WrkRblCmdMemoryWrite(const QString &portName, DeviceComms *deviceComms,
                                           const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    const uint address = number(parameters, "address");
    const QByteArray data = parameters.value(QStringLiteral("data")).toByteArray();
    runSingleCommand([c = rbl(), address, data] { c->cmdMemoryWrite(address, data); },
                     &RblSerialComms::cmdMemoryWriteDone, &DeviceComms::rblCmdMemoryWriteDone);
}
