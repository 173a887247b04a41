#pragma once

#include "sensor/MqttClient.h"
#include "sensor/SensorMessages.h"

#include <QHash>
#include <QMap>
#include <QtTest>

// A viewer in a test: subscribes to everything of the sensors and to the replies it asks for,
// and reads the sweeps messages byte by byte itself, as a client written from the manual page
// would, so that what the sensor's own decoder believes plays no part.
class SweepViewer : public QObject
{
    Q_OBJECT

public:
    struct Sweep
    {
        quint32 fstartHz = 0;
        quint32 fstepHz = 0;
        int steps = 0;
        qint64 timestamp = 0;
        QByteArray values;
        bool operator==(const Sweep &o) const
        {
            return fstartHz == o.fstartHz && fstepHz == o.fstepHz && steps == o.steps
                && timestamp == o.timestamp && values == o.values;
        }
    };

    explicit SweepViewer(QObject *parent = nullptr)
        : QObject(parent)
    {
        connect(&m_client, &MqttClient::messageReceived, this, &SweepViewer::onMessage);
    }

    MqttClient &client() { return m_client; }

    void start(quint16 port, const QStringList &topics = {QStringLiteral("quorvex/v1/#")},
               const QString &clientId = QStringLiteral("test-viewer"))
    {
        BrokerSettings settings;
        settings.host = QStringLiteral("127.0.0.1");
        settings.port = port;
        start(settings, topics, clientId);
    }
    void start(const BrokerSettings &settings, const QStringList &topics, const QString &clientId)
    {
        m_client.setSubscriptions(topics);
        m_client.start(settings, clientId);
    }
    bool waitConnected(int timeoutMs = 20000)
    {
        QElapsedTimer waited;
        waited.start();
        while (!m_client.isConnected() && waited.elapsed() < timeoutMs)
            QTest::qWait(20);
        return m_client.isConnected();
    }

    // Sweeps by topic, each sequence number once (the first copy).
    QMap<quint64, Sweep> sweeps(const QString &topic) const { return m_sweeps.value(topic); }
    // Copies of a sequence number already held, and of those, copies that differ from it.
    int duplicates = 0;
    int conflicts = 0;
    QList<SensorStatus> states;
    QList<SensorEvent> events;
    QStringList malformed;

    SensorStatus lastState() const { return states.isEmpty() ? SensorStatus() : states.last(); }
    bool hasEvent(const QString &text) const
    {
        return std::any_of(events.begin(), events.end(),
                           [&text](const SensorEvent &e) { return e.text.contains(text); });
    }

    // Little-endian, byte by byte.
    static quint64 le(const QByteArray &bytes, int at, int size)
    {
        quint64 value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = (value << 8) | quint8(bytes.at(at + i));
        return value;
    }

private:
    void onMessage(const QString &topic, const QByteArray &payload)
    {
        if (topic.endsWith(QLatin1String("/state"))) {
            SensorStatus status;
            QString error;
            if (SensorStatus::fromJson(payload, &status, &error))
                states.append(status);
            else
                malformed.append(topic + QStringLiteral(": ") + error);
            return;
        }
        if (topic.endsWith(QLatin1String("/events"))) {
            SensorEvent event;
            QString error;
            if (SensorEvent::fromJson(payload, &event, &error))
                events.append(event);
            return;
        }
        if (topic.endsWith(QLatin1String("/control")))
            return;
        readSweeps(topic, payload);
    }

    void readSweeps(const QString &topic, const QByteArray &payload)
    {
        if (payload.size() < 24 || payload.left(4) != "QVS1") {
            malformed.append(topic + QStringLiteral(": not QVS1"));
            return;
        }
        const int steps = int(le(payload, 12, 2));
        const int count = int(le(payload, 14, 2));
        if (count < 1 || payload.size() != 24 + count * (8 + steps)) {
            malformed.append(topic + QStringLiteral(": wrong length"));
            return;
        }
        const quint64 first = le(payload, 16, 8);
        QMap<quint64, Sweep> &held = m_sweeps[topic];
        for (int i = 0; i < count; ++i) {
            const int at = 24 + i * (8 + steps);
            Sweep sweep;
            sweep.fstartHz = quint32(le(payload, 4, 4));
            sweep.fstepHz = quint32(le(payload, 8, 4));
            sweep.steps = steps;
            sweep.timestamp = qint64(le(payload, at, 8));
            sweep.values = payload.mid(at + 8, steps);
            const quint64 seq = first + quint64(i);
            const auto found = held.constFind(seq);
            if (found != held.constEnd()) {
                ++duplicates;
                if (!(found.value() == sweep))
                    ++conflicts;
                continue;
            }
            held.insert(seq, sweep);
        }
    }

    MqttClient m_client;
    QHash<QString, QMap<quint64, Sweep>> m_sweeps;
};
