#pragma once

#include "SimulatedAnalyzerSettings.h"
#include "SimulatedDeviceMode.h"
#include "SimulatedFrameReader.h"
#include "SimulatedSweepGenerator.h"

#include <QRandomGenerator>
#include <QTimer>

// The analyzer mode of the simulated device: answers every command of the analyzer protocol as
// the device does, with an acknowledgement frame carrying the command's code and then the
// command's data frames. It keeps the band set-up it received and sweeps accordingly, in data
// frames of up to 255 samples closed by a last-error frame. Commands that arrive during a sweep
// wait for it. It also injects the faults of its settings into what it sends.
class SimulatedAnalyzerProtocol : public SimulatedDeviceMode
{
    Q_OBJECT

public:
    // Last-error codes, reported (and cleared) by the last-error command; a sweep's closing
    // frame reports the current one.
    enum LastError : quint16 {
        NoError = 0,
        ErrorBadFrame = 1, // stray bytes, a wrong CRC or an unfinished frame
        ErrorUnknownCommand = 2,
        ErrorBadParameter = 3,
    };

    explicit SimulatedAnalyzerProtocol(const SimulatedAnalyzerSettings &settings,
                                       QObject *parent = nullptr);

    void receive(const QByteArray &bytes) override;
    void reset() override;

    const SimulatedSweepGenerator &generator() const { return m_generator; }
    void setCarrier(const SimulatedSweepGenerator::SwitchedCarrier &carrier);
    void setCarrierOn(bool on);
    // The info string for CPU 0 (radio) or 1 (host); the radio's changes when it is flashed.
    void setInfoString(quint8 cpu, const QString &text);

    void dropAcknowledgements(int count) { m_dropAcks = qMax(0, count); }
    void setCorruptCrcEvery(int frames);
    void setGarbageEvery(int frames);
    void setStall(int everySweeps, int msecs);
    void setHangUpAfterSweeps(int sweeps);

Q_SIGNALS:
    // A command frame that was accepted, with its payload.
    void commandReceived(quint8 code, QByteArray payload);
    void sweepSent(int samples);
    // The radio acknowledged a reset into its ROM bootloader.
    void bootloaderRequested();
    // The host went into its firmware-update mode; it answers nothing.
    void hostBootloaderRequested();
    // The device is unplugged in the middle of a sweep (a fault of the settings).
    void hangUpRequested();

private:
    struct Band
    {
        quint8 code; // set-band numbering: 1 = 900 MHz, 2 = 2.4 GHz
        double fStartMHz;
        double fStopMHz;
        double fStepMHz;
    };

    void processInput();
    void handle(quint8 code, const QByteArray &payload);
    void handleSet(quint8 code, const QByteArray &payload);
    void sendAck(quint8 code);
    void sendFrame(quint8 code, const QByteArray &payload = QByteArray());
    // Sends `values` in data frames of `code` closed by a last-error frame, after `delayMs`.
    void sendTransfer(quint8 code, const RfSpectrumScan &values, int delayMs, bool sweep);
    void sendRfParams(const QByteArray &payload);
    void setBand(quint8 code);
    int sampleCount() const;
    void finishTransfer();
    QByteArray garbage();

    SimulatedAnalyzerSettings m_settings;
    SimulatedSweepGenerator m_generator;
    SimulatedFrameReader m_reader;
    QTimer m_idleTimer; // an unfinished frame is dropped after a pause
    QRandomGenerator m_faultRng;

    Band m_band{};
    quint8 m_rbw = 0;
    quint8 m_spanIndex = 0;
    quint16 m_stepCount = 0;
    quint16 m_span = 0;
    quint16 m_lastError = NoError;
    quint64 m_sweepIndex[2] = {0, 0}; // per band
    quint64 m_sweepsSinceStallSet = 0;
    quint64 m_sweepsSinceHangUpSet = 0;
    quint64 m_framesSinceCorruptSet = 0;
    quint64 m_framesSinceGarbageSet = 0;
    bool m_busy = false; // a sweep or calibration is under way
    quint32 m_generation = 0; // invalidates pending replies on reset

    int m_dropAcks = 0;
    int m_corruptCrcEvery = 0;
    int m_garbageEvery = 0;
    int m_stallEverySweeps = 0;
    int m_stallMs = 0;
    int m_hangUpAfterSweeps = 0;
};
