#pragma once

#include "AnalyzerLink.h"
#include "MqttClient.h"
#include "SensorMessages.h"
#include "SensorOptions.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <memory>

class SimulatedAnalyzer;
class SweepArchive;
class SweepPublisher;

// A sensor: the analyzer scanning (AnalyzerLink), every sweep kept on disk (SweepArchive) and
// published (SweepPublisher) through the broker (MqttClient), its state retained on the broker
// (at every change and every k_stateIntervalMs), what it notices published as events, and the
// viewers' commands on its control topics obeyed. The program quorvex-sensor runs one; a test
// or a viewer may run one in-process (one per process: the serial port is the process's).
class SensorService : public QObject
{
    Q_OBJECT

public:
    static constexpr int k_stateIntervalMs = 10000;
    // Sweeps that arrive within this are made durable together, then published.
    static constexpr int k_syncDelayMs = 50;
    // How long a stop waits for the broker to take the "stopped" state.
    static constexpr int k_stopWaitMs = 2000;
    // Events kept while the broker is away.
    static constexpr int k_maxEvents = 100;
    static constexpr int k_maxCommandBytes = 65536;

    explicit SensorService(SensorConfig config, QObject *parent = nullptr);
    ~SensorService() override;

    // Opens the data folder, starts the simulated analyzer when asked, and starts scanning and
    // connecting. False, with *error, when the folder or the simulator cannot be had.
    bool start(QString *error);
    // A clean stop: the scan ends, what arrived is kept, the broker is told "stopped".
    void stop();

    SensorStatus status() const;
    SweepArchive *archive() const { return m_archive.get(); }
    SimulatedAnalyzer *simulator() const { return m_simulator.get(); }
    MqttClient &client() { return m_client; }

private:
    void onSweep(qint64 timestamp, const RfSpectrumScan &scan, const SensorBand &band);
    void onConnected();
    void onConnectFailed(const QString &reason, int retryMs);
    void onMessage(const QString &topic, const QByteArray &payload);
    void publishState();
    void publishEvent(const QString &text);
    void sendEvents();
    QString stateWord() const;
    void noteStateChange();

    SensorConfig m_config;
    std::unique_ptr<SimulatedAnalyzer> m_simulator;
    std::unique_ptr<SweepArchive> m_archive;
    std::unique_ptr<SweepPublisher> m_publisher;
    AnalyzerLink m_link;
    MqttClient m_client;
    SensorBand m_band;
    bool m_stopped = false;
    QTimer m_syncTimer;
    QTimer m_stateTimer;
    QList<SensorEvent> m_events;
    QString m_lastState;
    QString m_lastFailure;
    qint64 m_lastFailureLogMs = 0;
};
