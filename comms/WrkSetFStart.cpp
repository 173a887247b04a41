#include "WrkSetFStart.h"

WrkSetFStart::WrkSetFStart(const QString &portName, DeviceComms *deviceComms,
                           const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    const auto frequency = parameters.value(QStringLiteral("FStart")).toDouble();
    runSingleCommand([c = rfsa(), frequency] { c->setFStart(frequency); },
                     &RfsaSerialComms::setFStartDone, &DeviceComms::rfsaSetFStartDone);
}
