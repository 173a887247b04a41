#include "WrkGetInfoStr.h"

WrkGetInfoStr::WrkGetInfoStr(const QString &portName, DeviceComms *deviceComms,
                             const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    const auto cpu = quint8(parameters.value(QStringLiteral("Cpu")).toUInt());
    const auto str = quint8(parameters.value(QStringLiteral("String")).toUInt());
    runSingleCommand([c = rfsa(), cpu, str] { c->getInfoStr(cpu, str); },
                     &RfsaSerialComms::getInfoStrDone, &DeviceComms::rfsaGetInfoStrDone);
}
