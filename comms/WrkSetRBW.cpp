#include "WrkSetRBW.h"

WrkSetRBW::WrkSetRBW(const QString &portName, DeviceComms *deviceComms,
                     const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    const auto rbw = quint8(parameters.value(QStringLiteral("RBW")).toUInt());
    runSingleCommand([c = rfsa(), rbw] { c->setRBW(rbw); }, &RfsaSerialComms::setRBWDone,
                     &DeviceComms::rfsaSetRBWDone);
}
