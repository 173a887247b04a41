#include "RblWorker.h"

RblWorker::RblWorker(const QString &portName, DeviceComms *deviceComms, QObject *parent)
    : SequenceWorker(new RblSerialComms(portName), deviceComms, parent)
    , m_rbl(static_cast<RblSerialComms *>(m_comms))
{ }
