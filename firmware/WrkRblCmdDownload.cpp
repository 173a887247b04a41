#include "WrkRblCmdDownload.h"

WrkRblCmdDownload::WrkRblCmdDownload(const QString &portName, DeviceComms *deviceComms,
                                     const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    const uint address = number(parameters, "address");
    const uint size = number(parameters, "size");
    runSingleCommand([c = rbl(), address, size] { c->cmdDownload(address, size); },
                     &RblSerialComms::cmdDownloadDone, &DeviceComms::rblCmdDownloadDone);
}
