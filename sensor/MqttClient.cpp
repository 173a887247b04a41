#include "MqttClient.h"

#include "SensorLog.h"

#include <QCoreApplication>
#include <QHash>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mosquitto.h>
#include <mqtt_protocol.h>
#include <mutex>
#include <thread>

namespace {

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

} // namespace

// The thread that runs the library's loop, and what it shares with the owner's thread: the
// connection in use (`mosq`, guarded by `mutex`, so that publish() never meets one being
// destroyed) and the stop request.
struct MqttClient::Loop
{
    MqttClient *owner;
    BrokerSettings settings;
    QByteArray clientId;
    QByteArray willTopic;
    QByteArray willPayload;
    bool willRetain = false;
    bool persistent = false;
    QList<QByteArray> subscriptions;

    std::mutex mutex;
    std::condition_variable wake;
    mosquitto *mosq = nullptr; // guarded by mutex
    quint64 mosqGeneration = 0; // guarded by mutex
    std::atomic<bool> stopping{false};
    std::thread thread;

    // The loop thread's own.
    quint64 generation = 0;
    bool up = false;
    QString refusal;
    QString lastError;
    QHash<int, QByteArray> pendingSubscriptions;

    void run();
    mosquitto *create();
    // Runs `call` on the owner's thread.
    template<typename Call> void post(Call &&call)
    {
        QMetaObject::invokeMethod(owner, std::forward<Call>(call), Qt::QueuedConnection);
    }

    static void onConnect(mosquitto *, void *self, int reason, int, const mosquitto_property *);
    static void onDisconnect(mosquitto *, void *self, int, const mosquitto_property *);
    static void onPublish(mosquitto *, void *self, int mid, int reason, const mosquitto_property *);
    static void onSubscribe(mosquitto *, void *self, int mid, int count, const int *granted,
                            const mosquitto_property *);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *message,
                          const mosquitto_property *);
    static void onLog(mosquitto *, void *self, int level, const char *text);
};

mosquitto *MqttClient::Loop::create()
{
    mosquitto *m = mosquitto_new(clientId.constData(), !persistent, this);
    if (!m)
        return nullptr;
    mosquitto_int_option(m, MOSQ_OPT_PROTOCOL_VERSION,
                         persistent ? MQTT_PROTOCOL_V311 : MQTT_PROTOCOL_V5);
    mosquitto_threaded_set(m, true);
    mosquitto_connect_v5_callback_set(m, &Loop::onConnect);
    mosquitto_disconnect_v5_callback_set(m, &Loop::onDisconnect);
    mosquitto_publish_v5_callback_set(m, &Loop::onPublish);
    mosquitto_subscribe_v5_callback_set(m, &Loop::onSubscribe);
    mosquitto_message_v5_callback_set(m, &Loop::onMessage);
    mosquitto_log_callback_set(m, &Loop::onLog);
    const auto text
        = [](const QString &value) { return value.isEmpty() ? QByteArray() : value.toUtf8(); };
    const auto orNull
        = [](const QByteArray &value) { return value.isEmpty() ? nullptr : value.constData(); };
    const QByteArray user = text(settings.user);
    const QByteArray password = text(settings.password);
    if (!user.isEmpty())
        mosquitto_username_pw_set(m, user.constData(), orNull(password));
    if (settings.tls) {
        const QByteArray ca = text(settings.caFile);
        const QByteArray cert = text(settings.certFile);
        const QByteArray key = text(settings.keyFile);
        if (ca.isEmpty())
            mosquitto_int_option(m, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        const int rc
            = mosquitto_tls_set(m, orNull(ca), nullptr, orNull(cert), orNull(key), nullptr);
        if (rc != MOSQ_ERR_SUCCESS)
            lastError = QString::fromUtf8(mosquitto_strerror(rc));
    }
    if (!willTopic.isEmpty())
        mosquitto_will_set(m, willTopic.constData(), willPayload.size(), willPayload.constData(), 1,
                           willRetain);
    return m;
}

void MqttClient::Loop::run()
{
    int retryMs = k_firstRetryMs;
    while (!stopping) {
        ++generation;
        up = false;
        refusal.clear();
        lastError.clear();
        pendingSubscriptions.clear();
        mosquitto *m = create();
        int rc = MOSQ_ERR_NOMEM;
        if (m && lastError.isEmpty())
            rc = mosquitto_connect_async(m, settings.host.toUtf8().constData(), settings.port,
                                         k_keepAliveSeconds);
        else if (m)
            rc = MOSQ_ERR_TLS;
        if (rc == MOSQ_ERR_SUCCESS) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                mosq = m;
                mosqGeneration = generation;
            }
            while (!stopping && rc == MOSQ_ERR_SUCCESS)
                rc = mosquitto_loop(m, 250, 1);
            if (stopping && rc == MOSQ_ERR_SUCCESS) {
                // A clean disconnect: the broker keeps the last will to itself.
                mosquitto_disconnect(m);
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
                while (rc == MOSQ_ERR_SUCCESS && std::chrono::steady_clock::now() < deadline)
                    rc = mosquitto_loop(m, 100, 1);
            }
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            mosq = nullptr;
        }
        // The broker's refusal says most; then what the library logged of a connection that
        // never came up (a certificate that does not verify, say); then the error itself.
        QString reason = refusal;
        if (reason.isEmpty() && !lastError.isEmpty()
            && (!up || rc == MOSQ_ERR_TLS || rc == MOSQ_ERR_TLS_HANDSHAKE))
            reason = lastError;
        if (reason.isEmpty())
            reason = stopping ? QStringLiteral("stopped")
                              : QString::fromLocal8Bit(mosquitto_strerror(rc));
        if (m)
            mosquitto_destroy(m);
        const quint64 ended = generation;
        if (up) {
            retryMs = k_firstRetryMs;
            post([o = owner, ended, reason] { o->onDisconnected(ended, reason); });
        } else if (!stopping) {
            post([o = owner, reason, retryMs] { emit o->connectFailed(reason, retryMs); });
        }
        if (stopping)
            break;
        std::unique_lock<std::mutex> lock(mutex);
        wake.wait_for(lock, std::chrono::milliseconds(retryMs), [this] { return stopping.load(); });
        if (!up)
            retryMs = std::min(retryMs * 2, k_maxRetryMs);
    }
}

void MqttClient::Loop::onConnect(mosquitto *m, void *self, int reason, int,
                                 const mosquitto_property *)
{
    auto *loop = static_cast<Loop *>(self);
    if (reason != 0) {
        loop->refusal = QStringLiteral("the broker refused the connection: %1")
                            .arg(QString::fromUtf8(mosquitto_reason_string(reason)));
        return;
    }
    loop->up = true;
    for (const QByteArray &topic : qAsConst(loop->subscriptions)) {
        int mid = 0;
        if (mosquitto_subscribe_v5(m, &mid, topic.constData(), 1, 0, nullptr) == MOSQ_ERR_SUCCESS)
            loop->pendingSubscriptions.insert(mid, topic);
    }
    loop->post([o = loop->owner, g = loop->generation] { o->onConnected(g); });
}

void MqttClient::Loop::onDisconnect(mosquitto *, void *self, int reason, const mosquitto_property *)
{
    auto *loop = static_cast<Loop *>(self);
    if (reason >= k_firstRefusal && loop->refusal.isEmpty())
        loop->refusal = QStringLiteral("the broker ended the connection: %1")
                            .arg(QString::fromUtf8(mosquitto_reason_string(reason)));
}

void MqttClient::Loop::onPublish(mosquitto *, void *self, int mid, int reason,
                                 const mosquitto_property *)
{
    auto *loop = static_cast<Loop *>(self);
    loop->post([o = loop->owner, mid, reason] { emit o->published(mid, reason); });
}

void MqttClient::Loop::onSubscribe(mosquitto *, void *self, int mid, int count, const int *granted,
                                   const mosquitto_property *)
{
    auto *loop = static_cast<Loop *>(self);
    const QByteArray topic = loop->pendingSubscriptions.take(mid);
    for (int i = 0; i < count; ++i) {
        if (granted[i] < k_firstRefusal)
            continue;
        loop->post([o = loop->owner, t = QString::fromUtf8(topic), r = granted[i]] {
            emit o->subscriptionRefused(t, reasonText(r));
        });
    }
}

void MqttClient::Loop::onMessage(mosquitto *, void *self, const mosquitto_message *message,
                                 const mosquitto_property *)
{
    auto *loop = static_cast<Loop *>(self);
    const QString topic = QString::fromUtf8(message->topic);
    const QByteArray payload(static_cast<const char *>(message->payload), message->payloadlen);
    const bool retained = message->retain;
    loop->post([o = loop->owner, topic, payload, retained] {
        emit o->messageReceived(topic, payload, retained);
    });
}

void MqttClient::Loop::onLog(mosquitto *, void *self, int level, const char *text)
{
    auto *loop = static_cast<Loop *>(self);
    if (level & (MOSQ_LOG_ERR | MOSQ_LOG_WARNING))
        loop->lastError = QString::fromUtf8(text);
    qCDebug(lcSensor).noquote() << "libmosquitto:" << text;
}

MqttClient::MqttClient(QObject *parent)
    : QObject(parent)
{
    initLibrary();
}

MqttClient::~MqttClient()
{
    // Nothing is reported any more: whoever listened may be half gone.
    blockSignals(true);
    stop();
}

void MqttClient::setWill(const QString &topic, const QByteArray &payload, bool retain)
{
    m_willTopic = topic;
    m_willPayload = payload;
    m_willRetain = retain;
}

void MqttClient::setSubscriptions(const QStringList &topics)
{
    m_subscriptions = topics;
}

void MqttClient::start(const BrokerSettings &settings, const QString &clientId)
{
    if (m_loop)
        return;
    m_settings = settings;
    m_loop = std::make_unique<Loop>();
    m_loop->owner = this;
    m_loop->settings = settings;
    m_loop->clientId = clientId.toUtf8();
    m_loop->willTopic = m_willTopic.toUtf8();
    m_loop->willPayload = m_willPayload;
    m_loop->willRetain = m_willRetain;
    m_loop->persistent = m_persistent;
    for (const QString &topic : qAsConst(m_subscriptions))
        m_loop->subscriptions.append(topic.toUtf8());
    m_loop->thread = std::thread([loop = m_loop.get()] { loop->run(); });
}

void MqttClient::stop()
{
    if (!m_loop)
        return;
    {
        std::lock_guard<std::mutex> lock(m_loop->mutex);
        m_loop->stopping = true;
    }
    m_loop->wake.notify_all();
    m_loop->thread.join();
    m_loop.reset();
    // What the thread reported last is delivered before the object says it is stopped.
    if (!signalsBlocked())
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    if (m_connected) {
        m_connected = false;
        emit disconnected(QStringLiteral("stopped"));
    }
}

bool MqttClient::isRunning() const
{
    return m_loop != nullptr;
}

int MqttClient::publish(const QString &topic, const QByteArray &payload, bool retain)
{
    if (!m_connected || !m_loop)
        return -1;
    const QByteArray topicBytes = topic.toUtf8();
    std::lock_guard<std::mutex> lock(m_loop->mutex);
    if (!m_loop->mosq || m_loop->mosqGeneration != m_generation)
        return -1;
    int mid = 0;
    const int rc = mosquitto_publish_v5(m_loop->mosq, &mid, topicBytes.constData(), payload.size(),
                                        payload.constData(), 1, retain, nullptr);
    if (rc != MOSQ_ERR_SUCCESS) {
        qCDebug(lcSensor).noquote() << QStringLiteral("Not published on %1: %2")
                                           .arg(topic, QString::fromUtf8(mosquitto_strerror(rc)));
        return -1;
    }
    return mid;
}

QString MqttClient::reasonText(int reasonCode)
{
    return QString::fromUtf8(mosquitto_reason_string(reasonCode));
}

void MqttClient::onConnected(quint64 generation)
{
    m_generation = generation;
    m_connected = true;
    emit connected();
}

void MqttClient::onDisconnected(quint64 generation, const QString &reason)
{
    if (generation != m_generation || !m_connected)
        return;
    m_connected = false;
    emit disconnected(reason);
}
