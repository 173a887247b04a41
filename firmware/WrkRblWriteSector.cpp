#include "WrkRblWriteSector.h"

#include <QTimer>
#include <algorithm>

namespace {

// Bootloader status values.
constexpr uchar k_statusSuccess = 0x40;
constexpr uchar k_statusUnknownCommand = 0x41;
constexpr uchar k_statusInvalidCommand = 0x42;
constexpr uchar k_statusInvalidAddress = 0x43;
constexpr uchar k_statusFlashFail = 0x44;

} // namespace

WrkRblWriteSector::WrkRblWriteSector(const QString &portName, DeviceComms *deviceComms,
                                     const ScanParams &parameters, QObject *parent)
    : RblWorker(portName, deviceComms, parent)
    , m_address(number(parameters, "address"))
    , m_data(parameters.value(QStringLiteral("data")).toByteArray())
{
    RblSerialComms *c = rbl();
    QState *ping = addStep([c] { c->cmdPing(); });
    QState *erase = addStep([this, c] { c->cmdSectorErase(m_address); });
    QState *eraseStatus = addStep([c] { c->cmdGetStatus(); });
    QState *download = addStep([this] { onDownload(); });
    QState *downloadStatus = addStep([c] { c->cmdGetStatus(); });
    QState *send = addStep([this] { onSend(); });
    QState *sendStatus = addStep([c] { c->cmdGetStatus(); });

    ping->addTransition(c, &RblSerialComms::cmdPingDone, erase);
    erase->addTransition(c, &RblSerialComms::cmdSectorEraseDone, eraseStatus);
    eraseStatus->addTransition(this, &WrkRblWriteSector::statusSuccess, download);
    download->addTransition(c, &RblSerialComms::cmdDownloadDone, downloadStatus);
    download->addTransition(this, &WrkRblWriteSector::dataTransferDone, m_finalState);
    downloadStatus->addTransition(this, &WrkRblWriteSector::statusSuccess, send);
    send->addTransition(c, &RblSerialComms::cmdSendDataDone, sendStatus);
    send->addTransition(this, &WrkRblWriteSector::dataTransferDone, m_finalState);
    sendStatus->addTransition(this, &WrkRblWriteSector::statusSuccess, send);

    connect(c, &RblSerialComms::cmdGetStatusDone, this, &WrkRblWriteSector::checkStatus);
    if (deviceComms) {
        connect(this, &WrkRblWriteSector::dataTransferDone, deviceComms, [deviceComms] {
            QTimer::singleShot(10, deviceComms, &DeviceComms::rblWriteSectorDone);
        });
    }
    start(ping);
}

void WrkRblWriteSector::checkStatus(uchar status)
{
    switch (status) {
    case k_statusSuccess:
        emit statusSuccess();
        break;
    case k_statusUnknownCommand:
        emit rbl()->error(tr("Unknown Command"));
        break;
    case k_statusInvalidCommand:
        emit rbl()->error(tr("Invalid Command"));
        break;
    case k_statusInvalidAddress:
        emit rbl()->error(tr("Invalid Address"));
        break;
    case k_statusFlashFail:
        emit rbl()->error(tr("Flash Fail"));
        break;
    default:
        // Unknown: the sequence ends by its time-out.
        break;
    }
}

void WrkRblWriteSector::onDownload()
{
    const bool erasedAlready = std::all_of(m_data.cbegin(), m_data.cend(),
                                           [](char byte) { return quint8(byte) == 0xFF; });
    if (erasedAlready) {
        emit dataTransferDone();
        return;
    }
    rbl()->cmdDownload(m_address, uint(m_data.size()));
}

void WrkRblWriteSector::onSend()
{
    const quint32 remaining = quint32(m_data.size()) - m_sentBytes;
    if (remaining == 0) {
        emit dataTransferDone();
        return;
    }
    const int chunk = int(std::min<quint32>(remaining, k_maxChunk));
    rbl()->cmdSendData(m_data.mid(int(m_sentBytes), chunk));
    m_sentBytes += quint32(chunk);
}
