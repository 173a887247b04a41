#include "WrkSetFBand.h"

WrkSetFBand::WrkSetFBand(const QString &portName, DeviceComms *deviceComms,
                         const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    const auto band = RfsaSerialComms::SetFBand(parameters.value(QStringLiteral("FBand")).toUInt());
    runSingleCommand([c = rfsa(), band] { c->setFBand(band); }, &RfsaSerialComms::setFBandDone,
                     &DeviceComms::rfsaSetFBandDone);
}
