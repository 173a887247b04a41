#include "WrkRblCmdMemoryRead.h"

WrkRblCmdMemoryRead::WrkRblCmdMemoryRead(const QString &portName, DeviceComms *deviceComms,
                                         const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    const uint address = number(parameters, "address");
    const uint size = number(parameters, "size");
    runSingleCommand(
        [c = rbl(), address, size] { c->cmdMemoryRead(address, 0, uchar(size & 0xFFu)); },
        &RblSerialComms::cmdMemoryReadDone, &DeviceComms::rblCmdMemoryReadDone);
}
