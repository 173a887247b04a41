#include "WrkSetFStep.h"

WrkSetFStep::WrkSetFStep(const QString &portName, DeviceComms *deviceComms,
                         const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    const auto step = parameters.value(QStringLiteral("FStep")).toDouble();
    runSingleCommand([c = rfsa(), step] { c->setFStep(step); }, &RfsaSerialComms::setFStepDone,
                     &DeviceComms::rfsaSetFStepDone);
}
