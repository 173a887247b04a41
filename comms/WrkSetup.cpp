#include "WrkSetup.h"

WrkSetup::WrkSetup(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                   QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    auto value = [&parameters](const char *key) { return parameters.value(QLatin1String(key)); };
    const auto band = RfsaSerialComms::SetFBand(value("FBand").toUInt());
    const double fStart = value("FStart").toDouble();
    const double fStop = value("FStop").toDouble();
    const auto rbw = quint8(value("RBW").toUInt());
    const double fStep = value("FStep").toDouble();
    const auto stepCount = quint16(value("StepCount").toUInt());
    const auto span = quint16(value("Span").toUInt());
    const auto spanIndex = quint8(value("SpanIndex").toUInt());

    RfsaSerialComms *c = rfsa();
    QState *setBand = addStep([c, band] { c->setFBand(band); });
    QState *setStart = addStep([c, fStart] { c->setFStart(fStart); });
    QState *setStop = addStep([c, fStop] { c->setFStop(fStop); });
    QState *setRbw = addStep([c, rbw] { c->setRBW(rbw); });
    QState *setStep = addStep([c, fStep] { c->setFStep(fStep); });
    QState *setStepCount = addStep([c, stepCount] { c->setStepCount(stepCount); });
    QState *setSpan = addStep([c, span] { c->setSpan(span); });
    QState *setSpanIndex = addStep([c, spanIndex] { c->setSpanIndex(spanIndex); });

    setBand->addTransition(c, &RfsaSerialComms::setFBandDone, setStart);
    setStart->addTransition(c, &RfsaSerialComms::setFStartDone, setStop);
    setStop->addTransition(c, &RfsaSerialComms::setFStopDone, setRbw);
    setRbw->addTransition(c, &RfsaSerialComms::setRBWDone, setStep);
    setStep->addTransition(c, &RfsaSerialComms::setFStepDone, setStepCount);
    setStepCount->addTransition(c, &RfsaSerialComms::setStepCountDone, setSpan);
    setSpan->addTransition(c, &RfsaSerialComms::setSpanDone, setSpanIndex);
    setSpanIndex->addTransition(c, &RfsaSerialComms::setSpanIndexDone, m_finalState);

    forward(&RfsaSerialComms::setFBandDone, &DeviceComms::rfsaSetFBandDone);
    forward(&RfsaSerialComms::setFStartDone, &DeviceComms::rfsaSetFStartDone);
    forward(&RfsaSerialComms::setFStopDone, &DeviceComms::rfsaSetFStopDone);
    forward(&RfsaSerialComms::setRBWDone, &DeviceComms::rfsaSetRBWDone);
    forward(&RfsaSerialComms::setFStepDone, &DeviceComms::rfsaSetFStepDone);
    forward(&RfsaSerialComms::setStepCountDone, &DeviceComms::rfsaSetStepCountDone);
    forward(&RfsaSerialComms::setSpanDone, &DeviceComms::rfsaSetSpanDone);
    forward(&RfsaSerialComms::setSpanIndexDone, &DeviceComms::rfsaSetSpanIndexDone);

    start(setBand);
}
