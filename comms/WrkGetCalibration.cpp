#include "WrkGetCalibration.h"

WrkGetCalibration::WrkGetCalibration(const QString &portName, DeviceComms *deviceComms,
                                     const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    runSingleCommand([c = rfsa()] { c->getCalibration(); }, &RfsaSerialComms::getCalibrationDone,
                     &DeviceComms::rfsaGetCalibrationDone);
}
