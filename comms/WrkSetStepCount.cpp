#include "WrkSetStepCount.h"

WrkSetStepCount::WrkSetStepCount(const QString &portName, DeviceComms *deviceComms,
                                 const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    const auto count = quint16(parameters.value(QStringLiteral("StepCount")).toUInt());
    runSingleCommand([c = rfsa(), count] { c->setStepCount(count); },
                     &RfsaSerialComms::setStepCountDone, &DeviceComms::rfsaSetStepCountDone);
}
