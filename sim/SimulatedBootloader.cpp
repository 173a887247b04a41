#include "SimulatedBootloader.h"

#include "SimLog.h"
#include "data/Crc32.h"
#include "firmware/RadioImage.h"

#include <QtEndian>

namespace {

quint32 be32(const QByteArray &bytes, int offset)
{
    return bytes.size() >= offset + 4 ? qFromBigEndian<quint32>(bytes.constData() + offset) : 0u;
}

quint8 sum(const QByteArray &bytes)
{
    quint32 total = 0;
    for (const char byte : bytes)
        total += quint8(byte);
    return quint8(total);
}

} // namespace

SimulatedBootloader::SimulatedBootloader(const QString &radioVersion, QObject *parent)
    : SimulatedDeviceMode(parent)
    , m_flash(k_flashSize, '\xff')
{
    const QByteArray image = RadioImage::make(radioVersion);
    m_flash.replace(0, image.size(), image);
}

void SimulatedBootloader::reset()
{
    m_input.clear();
    m_status = Success;
    m_awaitingHostAck = false;
    m_downloadLeft = 0;
    // A fault armed by a test stays armed across the restart into the bootloader.
    m_silent = false;
}

void SimulatedBootloader::receive(const QByteArray &bytes)
{
    m_input.append(bytes);
    for (;;) {
        if (m_awaitingHostAck) {
            // The host's 00 CC (or 00 33) after a response frame.
            while (!m_input.isEmpty() && m_input.at(0) == '\0')
                m_input.remove(0, 1);
            if (m_input.isEmpty())
                return;
            m_input.remove(0, 1);
            m_awaitingHostAck = false;
            continue;
        }
        while (!m_input.isEmpty() && m_input.at(0) == '\0')
            m_input.remove(0, 1);
        if (m_input.size() < 2)
            return;
        if (m_input.startsWith("\x55\x55")) {
            m_input.remove(0, 2);
            if (!m_silent)
                ack();
            continue;
        }
        const int size = quint8(m_input.at(0));
        if (size < 3) {
            // Not a frame: the bootloader skips the byte.
            m_input.remove(0, 1);
            continue;
        }
        if (m_input.size() < size)
            return;
        const QByteArray frame = m_input.left(size);
        m_input.remove(0, size);
        if (m_silent)
            continue;
        if (m_framesBeforeSilence >= 0 && m_framesBeforeSilence-- == 0) {
            qCDebug(lcSim) << "Bootloader falls silent";
            m_silent = true;
            continue;
        }
        const QByteArray body = frame.mid(2);
        if (sum(body) != quint8(frame.at(1)) || m_nackFrames > 0) {
            if (m_nackFrames > 0)
                --m_nackFrames;
            emit send(QByteArray("\x00\x33", 2));
            continue;
        }
        handle(quint8(body.at(0)), body.mid(1));
    }
}

void SimulatedBootloader::ack()
{
    // Real bootloaders may send zero bytes before the acknowledgement.
    emit send(QByteArray("\x00\xcc", 2));
}

void SimulatedBootloader::respond(const QByteArray &data)
{
    QByteArray frame;
    frame.append(char(quint8(data.size() + 2)));
    frame.append(char(sum(data)));
    frame.append(data);
    emit send(frame);
    m_awaitingHostAck = true;
}

void SimulatedBootloader::handle(quint8 code, const QByteArray &payload)
{
    qCDebug(lcSim).noquote() << "Bootloader command" << Qt::hex << code << payload.size()
                             << "bytes";
    emit commandReceived(code, payload);
    ack();
    const auto inFlash = [](quint32 address, quint32 size) {
        return address <= quint32(k_flashSize) && size <= quint32(k_flashSize) - address;
    };
    switch (code) {
    case 0x20: // ping
        m_status = Success;
        break;
    case 0x21: { // download
        const quint32 address = be32(payload, 0);
        const quint32 size = be32(payload, 4);
        if (payload.size() != 8 || size == 0 || address % 4 != 0 || !inFlash(address, size)) {
            m_status = InvalidAddress;
            m_downloadLeft = 0;
        } else {
            m_status = Success;
            m_downloadAddress = address;
            m_downloadLeft = size;
        }
        break;
    }
    case 0x23: { // get status
        quint8 status = m_status;
        if (m_failStatus >= 0) {
            status = quint8(m_failStatus);
            m_failStatus = -1;
        }
        respond(QByteArray(1, char(status)));
        break;
    }
    case 0x24: // send data
        program(payload);
        break;
    case 0x25: // reset
        m_status = Success;
        emit resetRequested();
        break;
    case 0x26: { // sector erase
        const quint32 address = be32(payload, 0);
        if (payload.size() != 4 || address % k_sectorSize != 0 || address >= quint32(k_flashSize)) {
            m_status = InvalidAddress;
        } else {
            m_flash.replace(int(address), k_sectorSize, QByteArray(k_sectorSize, '\xff'));
            m_status = Success;
        }
        break;
    }
    case 0x27: { // CRC-32
        const quint32 address = be32(payload, 0);
        const quint32 size = be32(payload, 4);
        QByteArray crc(4, '\0');
        if (inFlash(address, size)) {
            qToBigEndian(Crc32::of(m_flash.mid(int(address), int(size))), crc.data());
            m_status = Success;
        } else {
            m_status = InvalidAddress;
        }
        respond(crc);
        break;
    }
    case 0x28: { // chip ID
        QByteArray id(4, '\0');
        qToBigEndian(k_chipId, id.data());
        respond(id);
        m_status = Success;
        break;
    }
    case 0x2A: { // memory read
        const quint32 address = be32(payload, 0);
        const quint8 count = payload.size() >= 6 ? quint8(payload.at(5)) : 0;
        respond(inFlash(address, count) ? m_flash.mid(int(address), count)
                                        : QByteArray(count, '\0'));
        m_status = Success;
        break;
    }
    case 0x2C: // bank erase
        m_flash.fill('\xff');
        m_status = Success;
        break;
    case 0x2B: // memory write
    case 0x2D: // set CCFG
        m_status = Success;
        break;
    default:
        m_status = UnknownCommand;
        break;
    }
}

void SimulatedBootloader::program(const QByteArray &data)
{
    if (m_downloadLeft == 0 || quint32(data.size()) > m_downloadLeft) {
        m_status = InvalidCommand;
        return;
    }
    for (int i = 0; i < data.size(); ++i) {
        const quint8 cell = quint8(m_flash.at(int(m_downloadAddress) + i));
        const quint8 value = quint8(data.at(i));
        // Flash only clears bits; a cell that was not erased cannot take every value.
        if ((cell & value) != value) {
            m_status = FlashFail;
            m_downloadLeft = 0;
            return;
        }
        m_flash[int(m_downloadAddress) + i] = char(value);
    }
    m_downloadAddress += quint32(data.size());
    m_downloadLeft -= quint32(data.size());
    m_status = Success;
}
