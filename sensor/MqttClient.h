#pragma once

#include "BrokerSettings.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <memory>

// An MQTT client of one broker through libmosquitto, for the sensor and its viewers. The
// library's network loop runs on a thread of this object's own, which connects (MQTT 5),
// reconnects after a failure or a lost connection (after 1 s, then twice as long each time
// up to k_maxRetryMs; back to 1 s once connected) and ends when the object stops. Every
// message QoS 1. Each connection is a clean session unless asked otherwise: what was in flight
// when it was lost is the caller's to send again (the reports below are in order, a lost
// connection after the acknowledgements that came before it).
//
// The library's callbacks never touch the caller: they hand their values to this object's
// thread through queued calls, where the signals below are emitted.
class MqttClient : public QObject
{
    Q_OBJECT

public:
    static constexpr int k_firstRetryMs = 1000;
    static constexpr int k_maxRetryMs = 10000;
    static constexpr int k_keepAliveSeconds = 15;
    // A reason code of this or more in an acknowledgement is a refusal.
    static constexpr int k_firstRefusal = 0x80;

    explicit MqttClient(QObject *parent = nullptr);
    ~MqttClient() override;

    // Before start(): the message the broker publishes when the connection is lost without a
    // disconnect (QoS 1), and the topics subscribed to (QoS 1) after every connect.
    void setWill(const QString &topic, const QByteArray &payload, bool retain);
    void setSubscriptions(const QStringList &topics);
    // Before start(): the broker keeps the session (the subscriptions, and QoS 1 messages for
    // them) while the client is away, for a viewer that must miss nothing. Such a session is
    // MQTT 3.1.1's, whose acknowledgements carry no reason code.
    void setPersistentSession(bool persistent) { m_persistent = persistent; }

    // Starts connecting as `clientId`. Nothing happens when already started.
    void start(const BrokerSettings &settings, const QString &clientId);
    // Disconnects (a clean disconnect, so no last will) and ends the thread; waits for it.
    void stop();
    bool isRunning() const;
    bool isConnected() const { return m_connected; }
    QString brokerUrl() const { return m_settings.url(); }

    // Publishes with QoS 1 while connected. Returns the message's id, which published()
    // reports, or -1 when it cannot be sent now (not connected, or the connection just ended).
    int publish(const QString &topic, const QByteArray &payload, bool retain = false);

    // A short text for a reason code of an acknowledgement.
    static QString reasonText(int reasonCode);

Q_SIGNALS:
    void connected();
    // A connection that had been made ended (or stop() ended it).
    void disconnected(const QString &reason);
    // A connection could not be made; the next attempt follows in `retryMs`.
    void connectFailed(const QString &reason, int retryMs);
    // The broker acknowledged message `mid`; a reason code of k_firstRefusal or more means it
    // refused it (not authorised, say).
    void published(int mid, int reasonCode);
    void subscriptionRefused(const QString &topic, const QString &reason);
    // `retained`: the broker kept it from before this client subscribed (it may be old).
    void messageReceived(const QString &topic, const QByteArray &payload, bool retained);

private:
    struct Loop;
    friend struct Loop;

    void onConnected(quint64 generation);
    void onDisconnected(quint64 generation, const QString &reason);

    BrokerSettings m_settings;
    QString m_willTopic;
    QByteArray m_willPayload;
    bool m_willRetain = false;
    QStringList m_subscriptions;
    bool m_persistent = false;
    std::unique_ptr<Loop> m_loop;
    bool m_connected = false;
    // The connection this thread has heard to be up; publish() uses no other.
    quint64 m_generation = 0;
};
