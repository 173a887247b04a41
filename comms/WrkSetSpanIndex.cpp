#include "WrkSetSpanIndex.h"

WrkSetSpanIndex::WrkSetSpanIndex(const QString &portName, DeviceComms *deviceComms,
                                 const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    const auto index = quint8(parameters.value(QStringLiteral("SpanIndex")).toUInt());
    runSingleCommand([c = rfsa(), index] { c->setSpanIndex(index); },
                     &RfsaSerialComms::setSpanIndexDone, &DeviceComms::rfsaSetSpanIndexDone);
}
