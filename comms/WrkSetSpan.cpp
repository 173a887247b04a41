#include "WrkSetSpan.h"

WrkSetSpan::WrkSetSpan(const QString &portName, DeviceComms *deviceComms,
                       const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    const auto span = quint16(parameters.value(QStringLiteral("Span")).toUInt());
    runSingleCommand([c = rfsa(), span] { c->setSpan(span); }, &RfsaSerialComms::setSpanDone,
                     &DeviceComms::rfsaSetSpanDone);
}
