#pragma once

#include "SimulatedAir.h"
#include "SimulatedAnalyzerSettings.h"
#include "SimulatedDevice.h"

#include <QMutex>
#include <QObject>
#include <QThread>
#include <memory>

class QTemporaryDir;

// The simulated analyzer, hosted in-process: the device runs on a thread of its own and answers
// on the master side of a pseudo-terminal; the program (or a test) opens portName() with its
// ordinary serial port. Every control below may be called from the owner's thread at any time;
// it takes effect on the simulator's thread before it returns.
class SimulatedAnalyzer : public QObject
{
    Q_OBJECT

public:
    explicit SimulatedAnalyzer(const SimulatedAnalyzerSettings &settings = {},
                               QObject *parent = nullptr);
    ~SimulatedAnalyzer() override;

    // Starts the simulator's thread and plugs the device in; false with errorString() when no
    // pseudo-terminal could be opened.
    bool start();
    // Unplugs the device and ends the thread.
    void stop();
    bool isRunning() const { return m_device != nullptr; }
    QString errorString() const;

    // The path to open: a link that keeps its name when the device is plugged in again.
    QString portName() const;
    // The pseudo-terminal behind it at the moment; empty while unplugged.
    QString slavePath() const;
    const SimulatedAnalyzerSettings &settings() const { return m_settings; }
    // The site's Wi-Fi access points, as the Wi-Fi scanner reports them under simulation.
    const SimulatedAir &air() const { return m_air; }

    // Faults at run time.
    void dropAcknowledgements(int count);
    void setCorruptCrcEvery(int frames);
    void setGarbageEvery(int frames);
    void setStall(int everySweeps, int msecs);
    // Unplugs the device in the middle of the nth sweep from now.
    void setHangUpAfterSweeps(int sweeps);
    void sendGarbage(const QByteArray &bytes);
    // Holds the device's output back for `msecs` from now.
    void stall(int msecs);
    // Unplugs the device: its line closes under the program's port.
    void hangUp();
    // Plugs it in again, behind the same portName(); false when that fails.
    bool plugIn();
    bool isPluggedIn() const;
    void setInfoString(quint8 cpu, const QString &text);
    // Places the carrier (see the settings), switched on, from the next sweep on.
    void setCarrier(double centreMHz, double widthMHz, double levelDbm);
    // Switches the carrier on or off from the next sweep on.
    void setCarrierOn(bool on);

    // The radio's flash, as its ROM bootloader holds it (4096-byte sectors).
    QByteArray flash();
    // Bootloader faults: refuse the next frames; answer the next status request with
    // `status`; answer `frames` more frames, then nothing until the radio restarts.
    void bootloaderNackNext(int frames);
    void bootloaderFailNextStatus(quint8 status);
    void bootloaderGoSilentAfter(int frames);

Q_SIGNALS:
    void commandReceived(quint8 code, QByteArray payload);
    void bootloaderCommandReceived(quint8 code, QByteArray payload);
    void sweepSent(int samples);
    void hungUp();
    void pluggedIn(QString slavePath);
    void modeChanged(SimulatedDevice::Mode mode);

private:
    // Runs `call` with the device on the simulator's thread and waits for it.
    template<typename Call> void onDevice(Call call);

    SimulatedAnalyzerSettings m_settings;
    SimulatedAir m_air;
    std::unique_ptr<QTemporaryDir> m_linkDir;
    QThread m_thread;
    SimulatedDevice *m_device = nullptr;
    mutable QMutex m_mutex;
    QString m_slavePath; // guarded by m_mutex; written on the simulator's thread
    QString m_errorString;
};
