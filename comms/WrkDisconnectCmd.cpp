#include "WrkDisconnectCmd.h"

#include <QTimer>

WrkDisconnectCmd::WrkDisconnectCmd(const QString &portName, DeviceComms *deviceComms,
                                   const ScanParams &parameters, QObject *parent)
    : RfsaWorker(portName, deviceComms, parent)
{
    Q_UNUSED(parameters)
    disconnect(this, &SequenceWorker::error, nullptr, nullptr);
    disconnect(this, &SequenceWorker::timeout, nullptr, nullptr);
    if (deviceComms) {
        connect(this, &SequenceWorker::error, deviceComms, &DeviceComms::rfsaDisconnectDone);
        connect(this, &SequenceWorker::timeout, deviceComms, &DeviceComms::rfsaDisconnectDone);
        connect(this, &SequenceWorker::error, deviceComms, &DeviceComms::onDisconnectUnanswered);
        connect(this, &SequenceWorker::timeout, deviceComms, &DeviceComms::onDisconnectUnanswered);
    }
    m_timer->setInterval(k_timeoutMs);
    runSingleCommand([c = rfsa()] { c->disconnect(); }, &RfsaSerialComms::disconnectDone,
                     &DeviceComms::rfsaDisconnectDone);
}
