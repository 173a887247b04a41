#include "WrkScan.h"

#include <QThread>
#include <QTimer>

WrkScan::WrkScan(const QString &portName, DeviceComms *deviceComms, const ScanParams &parameters,
                 QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    RfsaSerialComms *c = rfsa();
    // The base class starts the time-out on entry first, then the request goes out.
    connect(m_mainState, &QState::entered, this, &WrkScan::onMainStateEntered);
    connect(c, &RfsaSerialComms::getSpecNoInitAck, m_timer, &QTimer::stop);

    // The hand-over is made before the machine registers its transitions, so it runs ahead of
    // the self-transition that requests the next sweep. A controller on this very thread (never
    // the case in the program) is called directly instead of waiting for itself.
    if (deviceComms) {
        const bool sameThread = deviceComms->thread() == QThread::currentThread();
        forward(&RfsaSerialComms::getSpecNoInitDone, &DeviceComms::rfsaGetSpecNoInitDone,
                sameThread ? Qt::DirectConnection : Qt::BlockingQueuedConnection);
        connect(deviceComms, &DeviceComms::stopScanning, this, &WrkScan::onStopRequested);
    }
    m_mainState->addTransition(this, &WrkScan::stopNow, m_finalState);
    m_mainState->addTransition(c, &RfsaSerialComms::getSpecNoInitDone, m_mainState);
    start();
}

void WrkScan::onStopRequested()
{
    // Before the machine runs, no transition listens: the request is kept for the entry.
    m_stopRequested = true;
    emit stopNow();
}

void WrkScan::onMainStateEntered()
{
    if (!m_stopRequested) {
        rfsa()->getSpecNoInit();
        return;
    }
    // The state's transitions listen once its entry is complete.
    QMetaObject::invokeMethod(this, &WrkScan::stopNow, Qt::QueuedConnection);
}
