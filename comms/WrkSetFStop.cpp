#include "WrkSetFStop.h"

WrkSetFStop::WrkSetFStop(const QString &portName, DeviceComms *deviceComms,
                         const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    const auto frequency = parameters.value(QStringLiteral("FStop")).toDouble();
    runSingleCommand([c = rfsa(), frequency] { c->setFStop(frequency); },
                     &RfsaSerialComms::setFStopDone, &DeviceComms::rfsaSetFStopDone);
}
