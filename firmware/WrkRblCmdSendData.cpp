#include "WrkRblCmdSendData.h"

WrkRblCmdSendData::WrkRblCmdSendData(const QString &portName, DeviceComms *deviceComms,
                                     const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
{
    const QByteArray data = parameters.value(QStringLiteral("data")).toByteArray();
    runSingleCommand([c = rbl(), data] { c->cmdSendData(data); }, &RblSerialComms::cmdSendDataDone,
                     &DeviceComms::rblCmdSendDataDone);
}
