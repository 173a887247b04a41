#include "WrkGetRfParams.h"

WrkGetRfParams::WrkGetRfParams(const QString &portName, DeviceComms *deviceComms,
                               const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    const auto band = RfsaSerialComms::FBand(parameters.value(QStringLiteral("FBand")).toUInt());
    runSingleCommand([c = rfsa(), band] { c->getRfParams(band); },
                     &RfsaSerialComms::getRfParamsDone, &DeviceComms::rfsaGetRfParamsDone);
}
