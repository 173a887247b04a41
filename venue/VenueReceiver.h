#pragma once

#include "SensorFeed.h"
#include "SensorInfo.h"
#include "sensor/BrokerSettings.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <deque>

class MqttClient;

// The viewer's end of a venue's broker, on a thread of its own (see VenueClient): subscribes to
// every sensor's state, sweeps and events, decodes and checks each payload, puts each sensor's
// sweeps in the order of their numbers (dropping repeats), asks the sensors to publish again what
// it missed (and, for a sensor seen for the first time, what it scanned before, up to the replay
// limit), and reports what it has. A payload that is not what the wire format says is dropped and
// reported once for each sensor and kind of fault.
class VenueReceiver : public QObject
{
    Q_OBJECT

public:
    // No analyzer sweeps faster than this; a replay limit in minutes becomes numbers with it.
    static constexpr int k_maxSweepsPerSecond = 30;
    // A gap asked for and not filled is asked for again after this.
    static constexpr int k_askAgainMs = 5000;
    // A delivery may repeat the sweeps just delivered (at least once); live sweeps further
    // back than this are another numbering.
    static constexpr quint64 k_repeatWindow = 1000;

    VenueReceiver(QString viewerId, int replayMinutes);
    ~VenueReceiver() override;

    void start(const BrokerSettings &settings);
    void stop();
    // Publishes a band switch to one sensor, or to every sensor (an empty id).
    void sendBand(const QString &sensorId, int mhz);
    void setReplayMinutes(int minutes) { m_replayMinutes = minutes; }

Q_SIGNALS:
    void connectionChanged(bool connected, const QString &text);
    void sensorUpdated(const SensorInfo &info);
    // Sweeps of one sensor and one band, numbered consecutively, in order, each once.
    void sweepsReady(const QString &sensorId, const SweepBatch &run);
    void eventReceived(const QString &sensorId, const SensorEvent &event);
    // A fault the user should hear of, once for each cause.
    void problem(const QString &text);

private:
    struct Sensor
    {
        SensorInfo info;
        SensorFeed feed;
        // The sensor-clock times of the sweeps delivered lately, for their rate.
        std::deque<qint64> recent;
        SensorFeed::Range asked;
        qint64 askedAtMs = 0;
    };

    void onMessage(const QString &topic, const QByteArray &payload, bool retained);
    void onState(const QString &id, const QByteArray &payload, bool retained);
    void onSweeps(const QString &id, const QByteArray &payload, bool replayed);
    void deliver(const QString &id, Sensor &sensor, const QList<SweepBatch> &runs);
    void tick();
    void askReplay(const QString &id, Sensor &sensor, SensorFeed::Range range);
    // Reports a fault once for each sensor and kind (its text without numbers).
    void tell(const QString &id, const QString &text);
    QString replyTopic(const QString &id) const;

    const QString m_viewerId;
    int m_replayMinutes;
    MqttClient *m_mqtt = nullptr;
    QHash<QString, Sensor> m_sensors;
    QSet<QString> m_told;
    // A child, so that it moves with this object to its thread.
    QTimer *m_tick;
};
