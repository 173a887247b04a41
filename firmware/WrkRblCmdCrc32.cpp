#include "WrkRblCmdCrc32.h"

WrkRblCmdCrc32::WrkRblCmdCrc32(const QString &portName, DeviceComms *deviceComms,
                               const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    const uint address = number(parameters, "address");
    const uint size = number(parameters, "size");
    const uint readRepeat = number(parameters, "readRepeat");
    runSingleCommand(
        [c = rbl(), address, size, readRepeat] { c->cmdCrc32(address, size, readRepeat); },
        &RblSerialComms::cmdCrc32Done, &DeviceComms::rblCmdCrc32Done);
}
