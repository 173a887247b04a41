#pragma once

#include "SimulatedDeviceMode.h"

#include <QByteArray>
#include <QString>

// The radio's ROM bootloader, as the simulated radio speaks it after a reset into it: the
// auto-baud pattern, checksummed command frames answered with 00 CC (00 33 for a bad frame),
// response frames for status, CRC-32, chip ID and memory reads, which the host acknowledges,
// and a flash of 4096-byte sectors that programs like real flash (bits go from 1 to 0 only,
// so writing a sector that was not erased fails) with the real status codes: 0x40 success,
// 0x41 unknown command, 0x42 invalid command, 0x43 invalid address, 0x44 flash failure.
// The flash starts with the radio image of the given version; a reset command restarts the
// radio into its firmware (resetRequested).
class SimulatedBootloader : public SimulatedDeviceMode
{
    Q_OBJECT

public:
    static constexpr int k_sectorSize = 4096;
    static constexpr int k_flashSize = 32 * k_sectorSize;
    static constexpr quint32 k_chipId = 0x2B9BE02F;

    enum Status : quint8 {
        Success = 0x40,
        UnknownCommand = 0x41,
        InvalidCommand = 0x42,
        InvalidAddress = 0x43,
        FlashFail = 0x44,
    };

    explicit SimulatedBootloader(const QString &radioVersion, QObject *parent = nullptr);

    void receive(const QByteArray &bytes) override;
    void reset() override;

    const QByteArray &flash() const { return m_flash; }

    // Faults: refuse the next `frames` command frames (NACK); answer the next status request
    // with `status`; answer `frames` more command frames, then nothing until the next reset.
    void nackNext(int frames) { m_nackFrames = qMax(0, frames); }
    void failNextStatus(quint8 status) { m_failStatus = status; }
    void goSilentAfter(int frames) { m_framesBeforeSilence = frames; }

Q_SIGNALS:
    void commandReceived(quint8 code, QByteArray payload);
    void resetRequested();

private:
    void handle(quint8 code, const QByteArray &payload);
    void program(const QByteArray &data);
    void ack();
    void respond(const QByteArray &data);

    QByteArray m_input;
    QByteArray m_flash;
    quint8 m_status = Success;
    bool m_awaitingHostAck = false;
    quint32 m_downloadAddress = 0;
    quint32 m_downloadLeft = 0;
    int m_nackFrames = 0;
    int m_failStatus = -1;
    int m_framesBeforeSilence = -1;
    bool m_silent = false;
};
