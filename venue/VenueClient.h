#pragma once

#include "SensorInfo.h"
#include "sensor/BrokerSettings.h"
#include "sensor/SweepBatch.h"

#include <QHash>
#include <QObject>
#include <QThread>

class VenueReceiver;

// The window's connection to a venue's broker: the sensors found there, their sweeps in order
// and each once, their events, and band switches sent to them. The receiving, decoding and
// ordering run on a thread of their own (VenueReceiver), so that many sensors do not slow the
// window; what it reports arrives here through queued signals.
class VenueClient : public QObject
{
    Q_OBJECT

public:
    // How far back a sensor seen for the first time is asked to replay what it scanned.
    static constexpr int k_defaultReplayMinutes = 120;

    explicit VenueClient(QObject *parent = nullptr);
    ~VenueClient() override;

    void connectTo(const BrokerSettings &settings);
    void disconnectFromBroker();
    bool isConnected() const { return m_connected; }
    QString brokerUrl() const { return m_url; }
    // This viewer's client id, which names its replay topics.
    QString viewerId() const { return m_viewerId; }
    void setReplayMinutes(int minutes);

    // Switches one sensor's band (every sensor's with an empty id).
    void setBand(const QString &sensorId, int mhz);

    QList<SensorInfo> sensors() const { return m_sensors.values(); }
    SensorInfo sensor(const QString &id) const { return m_sensors.value(id); }

Q_SIGNALS:
    void connectionChanged(bool connected, const QString &text);
    void sensorUpdated(const SensorInfo &info);
    void sweepsReady(const QString &sensorId, const SweepBatch &run);
    void eventReceived(const QString &sensorId, const SensorEvent &event);
    void problem(const QString &text);

private:
    QString m_viewerId;
    QThread m_thread;
    VenueReceiver *m_receiver;
    QHash<QString, SensorInfo> m_sensors;
    bool m_connected = false;
    QString m_url;
};
