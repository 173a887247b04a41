#include "WrkConnectCmd.h"

WrkConnectCmd::WrkConnectCmd(const QString &portName, DeviceComms *deviceComms,
                             const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rfsa()] { c->connect(); }, &RfsaSerialComms::connectDone,
                     &DeviceComms::rfsaConnectDone);
}
