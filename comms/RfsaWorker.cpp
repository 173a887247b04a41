#include "RfsaWorker.h"

RfsaWorker::RfsaWorker(const QString &portName, DeviceComms *deviceComms, QObject *parent)
    : SequenceWorker(new RfsaSerialComms(portName), deviceComms, parent)
    , m_rfsa(static_cast<RfsaSerialComms *>(m_comms))
{ }
