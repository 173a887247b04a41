#include "RblSerialComms.h"

#include "FirmwareLog.h"

#include <QSerialPort>
#include <QtEndian>

namespace {

QByteArray be32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

quint8 checksum(const QByteArray &bytes)
{
    quint32 sum = 0;
    for (const char byte : bytes)
        sum += quint8(byte);
    return quint8(sum);
}

} // namespace

RblSerialComms::RblSerialComms(const QString &portName, QObject *parent)
    : SerialComms(portName, parent)
{ }

QByteArray RblSerialComms::createFrame(quint8 command, const QByteArray &payload)
{
    const QByteArray body = char(command) + payload;
    QByteArray frame;
    frame.reserve(body.size() + 2);
    frame.append(char(quint8(body.size() + 2)));
    frame.append(char(checksum(body)));
    frame.append(body);
    return frame;
}

void RblSerialComms::autoBaud()
{
    sendFrame(QByteArray("\x55\x55", 2));
}

void RblSerialComms::cmdPing()
{
    sendFrame(createFrame(CmdPing));
}

void RblSerialComms::cmdDownload(uint address, uint size)
{
    sendFrame(createFrame(CmdDownload, be32(address) + be32(size)));
}

void RblSerialComms::cmdGetStatus()
{
    sendFrame(createFrame(CmdGetStatus));
}

void RblSerialComms::cmdSendData(const QByteArray &data)
{
    sendFrame(createFrame(CmdSendData, data));
}

void RblSerialComms::cmdReset()
{
    sendFrame(createFrame(CmdReset));
}

void RblSerialComms::cmdSectorErase(uint address)
{
    sendFrame(createFrame(CmdSectorErase, be32(address)));
}

void RblSerialComms::cmdCrc32(uint address, uint size, uint readRepeat)
{
    sendFrame(createFrame(CmdCrc32, be32(address) + be32(size) + be32(readRepeat)));
}

void RblSerialComms::cmdGetChipId()
{
    sendFrame(createFrame(CmdGetChipId));
}

void RblSerialComms::cmdMemoryRead(uint address, uchar accessType, uchar numberOfAccesses)
{
    sendFrame(
        createFrame(CmdMemoryRead, be32(address) + char(accessType) + char(numberOfAccesses)));
}

void RblSerialComms::cmdMemoryWrite(uint address, const QByteArray &data)
{
    sendFrame(createFrame(CmdMemoryWrite, be32(address) + QByteArray(1, '\0') + data));
}

void RblSerialComms::cmdBankErase()
{
    sendFrame(createFrame(CmdBankErase));
}

void RblSerialComms::cmdSetCcfg(uint fieldId, uint fieldValue)
{
    sendFrame(createFrame(CmdSetCcfg, be32(fieldId) + be32(fieldValue)));
}

void RblSerialComms::sendFrame(const QByteArray &frame)
{
    emit log(QStringLiteral(">> ") + hex(frame));
    if (m_port->isOpen())
        m_port->write(frame);
    setWaitingAck(true);
    qCDebug(lcFirmware).noquote() << "Sending:" << spacedHex(frame)
                                  << (waitingAck() ? "true" : "false");
    m_lastCommand = frame.size() > 2 ? quint8(frame.at(2))
        : frame.isEmpty()            ? 0
                                     : quint8(frame.at(0));
}

void RblSerialComms::sendReply(quint8 reply)
{
    const QByteArray bytes = QByteArray(1, '\0') + char(reply);
    emit log(QStringLiteral(">> ") + hex(bytes));
    if (!m_port->isOpen())
        return;
    m_port->write(bytes);
    // The reply often ends a sequence, and the next sequence's protocol object clears what the
    // port still holds: it goes out now.
    m_port->flush();
}

void RblSerialComms::readData()
{
    qCDebug(lcFirmware) << "New data available:" << m_port->bytesAvailable() << waitingAck();
    receiveBytes(m_port->readAll());
}

void RblSerialComms::receiveBytes(const QByteArray &bytes)
{
    m_receiveData.append(bytes);
    qCDebug(lcFirmware).noquote() << "Internal Buffer:" << spacedHex(m_receiveData);
    process();
}

void RblSerialComms::process()
{
    // An acknowledgement and the response frame behind it may arrive in one read: both are
    // handled, one after the other.
    while (!m_receiveData.isEmpty()) {
        const int before = m_receiveData.size();
        if (waitingAck()) {
            if (!checkAck())
                return;
        } else {
            checkFrame();
        }
        // A frame still incomplete waits for more bytes.
        if (m_receiveData.size() == before)
            return;
    }
}

bool RblSerialComms::checkAck()
{
    int taken = 0;
    while (taken < m_receiveData.size() && m_receiveData.at(taken) == '\0')
        ++taken;
    if (taken == m_receiveData.size()) {
        // Zero bytes in front of the acknowledgement are consumed; the byte itself is awaited.
        m_receiveData.clear();
        qCDebug(lcFirmware) << "Ack not found";
        return false;
    }
    const QByteArray ack = m_receiveData.left(taken + 1);
    m_receiveData.remove(0, taken + 1);
    emit log(QStringLiteral("<< ") + hex(ack));
    setWaitingAck(false);

    const quint8 byte = quint8(ack.at(ack.size() - 1));
    if (byte == k_nack) {
        emit error(tr("Bootloader Error! (NACK)"));
        return true;
    }
    if (byte != k_ack) {
        emit error(tr("Bootloader Error! (UNKNOWN)"));
        return true;
    }
    switch (m_lastCommand) {
    case CmdPing:
        emit cmdPingDone();
        break;
    case CmdDownload:
        emit cmdDownloadDone();
        break;
    case CmdSendData:
        emit cmdSendDataDone();
        break;
    case CmdReset:
        // The chip restarts: what follows is not protocol.
        m_receiveData.clear();
        emit cmdResetDone();
        break;
    case CmdSectorErase:
        emit cmdSectorEraseDone();
        break;
    case CmdMemoryWrite:
        emit cmdMemoryWriteDone();
        break;
    case CmdBankErase:
        emit cmdBankEraseDone();
        break;
    case CmdSetCcfg:
        emit cmdSetCcfgDone();
        break;
    case CmdAutoBaud:
        emit autoBaudDone();
        break;
    default:
        // Get status, CRC-32, chip ID and memory read: their response frame follows.
        break;
    }
    return true;
}

void RblSerialComms::checkFrame()
{
    if (m_receiveData.at(0) == '\0') {
        m_receiveData.remove(0, 1);
        return;
    }
    const int size = quint8(m_receiveData.at(0));
    if (m_receiveData.size() < size)
        return;
    const QByteArray frame = m_receiveData.left(size);
    emit log(QStringLiteral("<< ") + hex(frame));
    // The frame leaves the buffer whatever its checksum: one that fails is refused once, not
    // at every later read.
    m_receiveData.remove(0, size);
    if (size < 2 || checksum(frame.mid(2)) != quint8(frame.at(1))) {
        sendReply(k_nack);
        return;
    }
    sendReply(k_ack);
    const QByteArray data = frame.mid(2);
    const auto be32At
        = [&data] { return data.size() >= 4 ? qFromBigEndian<quint32>(data.constData()) : 0u; };
    switch (m_lastCommand) {
    case CmdGetStatus:
        if (!data.isEmpty())
            emit cmdGetStatusDone(uchar(data.at(0)));
        break;
    case CmdCrc32:
        emit cmdCrc32Done(be32At());
        break;
    case CmdGetChipId:
        emit cmdGetChipIdDone(be32At());
        break;
    case CmdMemoryRead:
        emit cmdMemoryReadDone(data);
        break;
    default:
        break;
    }
}
