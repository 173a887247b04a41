#pragma once

#include "SensorBand.h"
#include "data/RfSpectrumScan.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class DeviceComms;

// The analyzer as a sensor uses it, through the window's session controller and communication
// thread: found at the given port or, without one, as the one port that describes itself as
// the analyzer; connected, set up for the band and scanning until stopped. An analyzer that is
// missing, unplugged or stops answering is looked for again every k_retryMs, and scanning
// resumes by itself. A band switch stops the scan and sets up the other band.
class AnalyzerLink : public QObject
{
    Q_OBJECT

public:
    static constexpr int k_retryMs = 3000;

    enum class State { Stopped, Searching, Connecting, Scanning };

    explicit AnalyzerLink(QObject *parent = nullptr);
    ~AnalyzerLink() override;

    // A fixed port (a name under /dev, or a path); empty: look for the analyzer.
    void setPort(const QString &port) { m_fixedPort = port; }
    void start(const SensorBand &band);
    // Scans `band` from now on (after the running scan has stopped).
    void setBand(const SensorBand &band);
    // Stops scanning, tells the analyzer the program disconnects and ends the communication
    // thread. Sweeps still on their way are dropped.
    void stop();

    State state() const { return m_state; }
    SensorBand band() const { return m_band; }
    // The port in use or being tried; empty while none is found.
    QString port() const { return m_port; }

Q_SIGNALS:
    // A sweep of `band`, stamped on arrival (Unix epoch ms).
    void sweep(qint64 timestamp, const RfSpectrumScan &scan, const SensorBand &band);
    void stateChanged(AnalyzerLink::State state);
    // The analyzer was lost (unplugged, not answering): why, in words.
    void lost(const QString &port, const QString &reason);
    // It was found again (or for the first time) and scans.
    void found(const QString &port);

private:
    void tryConnect();
    void onConnectedChanged(bool connected);
    void onScanningChanged(bool scanning);
    void onSequenceFailed(const QString &workerClass, const QString &reason);
    void onSweep(qint64 timestamp, const RfSpectrumScan &scan);
    void startScan();
    // The session ended without our asking: try again later.
    void fail(const QString &reason);
    void setState(State state);

    std::unique_ptr<DeviceComms> m_comms;
    QTimer m_retryTimer;
    QString m_fixedPort;
    QString m_port;
    SensorBand m_band;
    State m_state = State::Stopped;
    // A stop was asked of the scan; sweeps meanwhile belong to the scan that ends.
    bool m_stopRequested = false;
    // The band of the scan set up last: its sweeps' band.
    SensorBand m_scanBand;
    QString m_lastFailure;
    // Why the analyzer was not found last time, said once until it changes.
    QString m_searchReason;
};
