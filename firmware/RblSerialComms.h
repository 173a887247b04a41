#pragma once

#include "comms/SerialComms.h"

// The radio's ROM bootloader protocol, spoken over the analyzer's port once the radio has been
// reset into its bootloader. A command is a frame of size, checksum (command code plus payload
// bytes, modulo 256), command code and payload, numbers big-endian; the bootloader answers
// with an acknowledgement byte (0xCC, or 0x33 to refuse), possibly after zero bytes, and the
// commands that return data send a response frame (size, checksum, data) which the host
// acknowledges with 00 CC (or refuses with 00 33). Each completed command is a signal.
class RblSerialComms : public SerialComms
{
    Q_OBJECT

public:
    static constexpr quint8 k_ack = 0xCC;
    static constexpr quint8 k_nack = 0x33;

    RblSerialComms(const QString &portName, QObject *parent = nullptr);

    // Size, checksum, command code and payload.
    static QByteArray createFrame(quint8 command, const QByteArray &payload = QByteArray());

public Q_SLOTS:
    void autoBaud();
    void cmdPing();
    void cmdDownload(uint address, uint size);
    void cmdGetStatus();
    void cmdSendData(const QByteArray &data);
    void cmdReset();
    void cmdSectorErase(uint address);
    void cmdCrc32(uint address, uint size, uint readRepeat);
    void cmdGetChipId();
    void cmdMemoryRead(uint address, uchar accessType, uchar numberOfAccesses);
    void cmdMemoryWrite(uint address, const QByteArray &data);
    void cmdBankErase();
    void cmdSetCcfg(uint fieldId, uint fieldValue);

    void readData() override;

Q_SIGNALS:
    void autoBaudDone();
    void cmdPingDone();
    void cmdDownloadDone();
    void cmdGetStatusDone(uchar status);
    void cmdSendDataDone();
    void cmdResetDone();
    void cmdSectorEraseDone();
    void cmdCrc32Done(uint crc);
    void cmdGetChipIdDone(uint chipId);
    void cmdMemoryReadDone(QByteArray data);
    void cmdMemoryWriteDone();
    void cmdBankEraseDone();
    void cmdSetCcfgDone();

protected:
    // Appends received bytes and handles what they complete; readData() passes the port's.
    void receiveBytes(const QByteArray &bytes);

private:
    enum Command : quint8 {
        CmdAutoBaud = 0x55,
        CmdPing = 0x20,
        CmdDownload = 0x21,
        CmdGetStatus = 0x23,
        CmdSendData = 0x24,
        CmdReset = 0x25,
        CmdSectorErase = 0x26,
        CmdCrc32 = 0x27,
        CmdGetChipId = 0x28,
        CmdMemoryRead = 0x2A,
        CmdMemoryWrite = 0x2B,
        CmdBankErase = 0x2C,
        CmdSetCcfg = 0x2D,
    };

    void sendFrame(const QByteArray &frame);
    void sendReply(quint8 reply);
    // Handles what the buffer holds: the acknowledgement awaited, then a response frame.
    void process();
    bool checkAck();
    void checkFrame();

    quint8 m_lastCommand = 0;
};
