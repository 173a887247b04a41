#include "VenueReceiver.h"

#include "VenueLog.h"
#include "sensor/MqttClient.h"
#include "sensor/SweepMessage.h"

#include <QDateTime>
#include <QRegularExpression>

namespace {

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// How long the sweeps' rate is counted over.
constexpr qint64 k_rateWindowMs = 10000;

} // namespace

VenueReceiver::VenueReceiver(QString viewerId, int replayMinutes)
    : m_viewerId(std::move(viewerId))
    , m_replayMinutes(replayMinutes)
    , m_tick(new QTimer(this))
{
    m_tick->setInterval(1000);
    connect(m_tick, &QTimer::timeout, this, &VenueReceiver::tick);
}

VenueReceiver::~VenueReceiver()
{
    stop();
}

QString VenueReceiver::replyTopic(const QString &id) const
{
    return SensorTopics::prefix() + id + QStringLiteral("/replay/") + m_viewerId;
}

void VenueReceiver::start(const BrokerSettings &settings)
{
    stop();
    m_mqtt = new MqttClient(this);
    const QString all = SensorTopics::prefix() + QStringLiteral("+/");
    m_mqtt->setSubscriptions({all + QStringLiteral("state"), all + QStringLiteral("sweeps"),
                              all + QStringLiteral("events"),
                              all + QStringLiteral("replay/") + m_viewerId});
    connect(m_mqtt, &MqttClient::connected, this, [this] {
        qCInfo(lcVenue).noquote() << "Connected to" << m_mqtt->brokerUrl();
        emit connectionChanged(true, tr("Connected to %1").arg(m_mqtt->brokerUrl()));
    });
    connect(m_mqtt, &MqttClient::disconnected, this, [this](const QString &reason) {
        emit connectionChanged(false, tr("%1: %2").arg(m_mqtt->brokerUrl(), reason));
    });
    connect(m_mqtt, &MqttClient::connectFailed, this, [this](const QString &reason, int retryMs) {
        const QString text
            = tr("The broker %1 cannot be reached: %2").arg(m_mqtt->brokerUrl(), reason);
        emit connectionChanged(false, text + tr(" (trying again in %1 s)").arg(retryMs / 1000));
        tell(QString(), text);
    });
    connect(m_mqtt, &MqttClient::subscriptionRefused, this,
            [this](const QString &topic, const QString &reason) {
                tell(QString(),
                     tr("The broker %1 refused the subscription to %2: %3")
                         .arg(m_mqtt->brokerUrl(), topic, reason));
            });
    connect(m_mqtt, &MqttClient::messageReceived, this, &VenueReceiver::onMessage);
    m_mqtt->start(settings, m_viewerId);
    m_tick->start();
}

void VenueReceiver::stop()
{
    m_tick->stop();
    if (!m_mqtt)
        return;
    m_mqtt->stop();
    delete m_mqtt;
    m_mqtt = nullptr;
}

void VenueReceiver::sendBand(const QString &sensorId, int mhz)
{
    if (!m_mqtt)
        return;
    const QString topic
        = sensorId.isEmpty() ? SensorTopics::allControl() : SensorTopics::control(sensorId);
    if (m_mqtt->publish(topic, SensorControl::bandCommand(mhz)) < 0)
        tell(QString(), tr("The band switch could not be sent: not connected to the broker"));
}

void VenueReceiver::tell(const QString &id, const QString &text)
{
    // Numbers (byte counts, sequence numbers, ports) do not make another cause.
    QString cause = text;
    cause.replace(QRegularExpression(QStringLiteral("\\d+")), QStringLiteral("#"));
    if (m_told.contains(id + QLatin1Char('|') + cause))
        return;
    m_told.insert(id + QLatin1Char('|') + cause);
    qCWarning(lcVenue).noquote() << text;
    emit problem(text);
}

void VenueReceiver::onMessage(const QString &topic, const QByteArray &payload, bool retained)
{
    const QString prefix = SensorTopics::prefix();
    if (!topic.startsWith(prefix))
        return;
    const QStringList parts = topic.mid(prefix.size()).split(QLatin1Char('/'));
    if (parts.size() < 2)
        return;
    const QString &id = parts.at(0);
    if (!SensorTopics::isValidId(id)) {
        tell(id, tr("A message on %1 was dropped: \"%2\" is no sensor's id").arg(topic, id));
        return;
    }
    const QString &kind = parts.at(1);
    if (kind == QLatin1String("state") && parts.size() == 2) {
        onState(id, payload, retained);
    } else if (kind == QLatin1String("sweeps") && parts.size() == 2) {
        onSweeps(id, payload, false);
    } else if (kind == QLatin1String("replay") && parts.size() == 3) {
        onSweeps(id, payload, true);
    } else if (kind == QLatin1String("events") && parts.size() == 2) {
        SensorEvent event;
        QString error;
        if (SensorEvent::fromJson(payload, &event, &error))
            emit eventReceived(id, event);
        else
            tell(id, tr("An event of the sensor %1 was dropped: %2").arg(id, error));
    }
}

void VenueReceiver::onState(const QString &id, const QByteArray &payload, bool retained)
{
    SensorStatus status;
    QString error;
    if (!SensorStatus::fromJson(payload, &status, &error) || status.id != id) {
        tell(id,
             tr("A state of the sensor %1 was dropped: %2")
                 .arg(id, error.isEmpty() ? tr("it names another sensor") : error));
        return;
    }
    const bool firstSight = !m_sensors.contains(id);
    Sensor &sensor = m_sensors[id];
    // The last will carries the id and the state alone: what was known stays.
    if (status.state == QLatin1String(SensorStatus::k_offline) && !firstSight) {
        sensor.info.status.state = status.state;
    } else {
        sensor.info.status = status;
        // A state the broker kept from before is as old as it is: only a fresh one tells the
        // clock's offset.
        if (status.timeMs > 0 && !retained) {
            sensor.info.clockKnown = true;
            sensor.info.clockOffsetMs = status.timeMs - nowMs();
        }
    }
    sensor.info.lastHeardMs = nowMs();
    // Seen for the first time: what it scanned before, up to the replay limit, comes first.
    if (!sensor.feed.isStarted() && status.seq >= 0) {
        const qint64 budget = qint64(m_replayMinutes) * 60 * k_maxSweepsPerSecond;
        const qint64 from = qMax(status.firstSeq, status.seq + 1 - budget);
        sensor.feed.startAt(quint64(qMax<qint64>(0, from)));
        if (from <= status.seq)
            askReplay(id, sensor, {quint64(from), quint64(status.seq + 1)});
    }
    emit sensorUpdated(sensor.info);
}

void VenueReceiver::askReplay(const QString &id, Sensor &sensor, SensorFeed::Range range)
{
    if (!m_mqtt || range.to <= range.from)
        return;
    const QByteArray command
        = SensorControl::replayCommand(range.from, range.to - 1, replyTopic(id));
    if (m_mqtt->publish(SensorTopics::control(id), command) >= 0) {
        sensor.asked = range;
        sensor.askedAtMs = nowMs();
        qCDebug(lcVenue) << "Asked" << id << "for sweeps" << range.from << "to" << range.to - 1;
    }
}

void VenueReceiver::onSweeps(const QString &id, const QByteArray &payload, bool replayed)
{
    SweepBatch batch;
    const QString fault = SweepMessage::decode(payload, &batch);
    if (!fault.isEmpty()) {
        tell(id, tr("Sweeps of the sensor %1 were dropped: %2").arg(id, fault));
        return;
    }
    Sensor &sensor = m_sensors[id];
    if (sensor.info.status.id.isEmpty()) {
        sensor.info.status.id = id;
        sensor.info.status.state = QLatin1String(SensorStatus::k_scanning);
    }
    sensor.info.lastHeardMs = nowMs();
    // Sweeps before any state that numbered what the sensor had: a viewer that joined after
    // the sensor's first sweeps (its state still saying it had none) asks for those it missed,
    // from the oldest the sensor keeps, within the replay limit.
    if (!sensor.feed.isStarted()) {
        const qint64 budget = qint64(m_replayMinutes) * 60 * k_maxSweepsPerSecond;
        sensor.feed.startAt(
            quint64(qMax<qint64>(sensor.info.status.firstSeq, qint64(batch.firstSeq) - budget)));
    }
    // Live sweeps numbered far below what was delivered are no repeat of the last ones: the
    // numbering went backwards (a sensor started afresh with another data folder, say).
    if (!replayed && sensor.feed.isStarted()
        && batch.endSeq() + k_repeatWindow < sensor.feed.next())
        tell(id,
             tr("Sweeps of the sensor %1 were dropped: their numbers (from %2) go back "
                "before those received (%3)")
                 .arg(id)
                 .arg(batch.firstSeq)
                 .arg(sensor.feed.next()));
    deliver(id, sensor, sensor.feed.take(batch, nowMs()));
}

void VenueReceiver::deliver(const QString &id, Sensor &sensor, const QList<SweepBatch> &runs)
{
    const qint64 sensorNow = nowMs() + sensor.info.clockOffsetMs;
    // Older than the replay limit: numbered and passed over, not shown.
    const qint64 cutoff = sensorNow - qint64(m_replayMinutes) * 60000;
    for (const SweepBatch &run : runs) {
        int first = 0;
        while (first < run.count() && run.timestamps.at(first) < cutoff)
            ++first;
        const SweepBatch shown = first == 0
            ? run
            : SensorFeed::slice(run, run.firstSeq + quint64(first), run.endSeq());
        if (shown.isEmpty())
            continue;
        for (qint64 t : shown.timestamps)
            sensor.recent.push_back(t);
        emit sweepsReady(id, shown);
    }
    while (!sensor.recent.empty() && sensor.recent.front() < sensorNow - k_rateWindowMs)
        sensor.recent.pop_front();
}

void VenueReceiver::tick()
{
    const qint64 now = nowMs();
    for (auto it = m_sensors.begin(); it != m_sensors.end(); ++it) {
        Sensor &sensor = it.value();
        quint64 skipped = 0;
        const QList<SweepBatch> released = sensor.feed.expire(
            now, quint64(qMax<qint64>(0, sensor.info.status.firstSeq)), &skipped);
        if (skipped > 0)
            qCWarning(lcVenue).noquote()
                << QStringLiteral("%1 sweeps of the sensor %2 did not come and are passed over")
                       .arg(skipped)
                       .arg(it.key());
        deliver(it.key(), sensor, released);
        SensorFeed::Range missing;
        if (sensor.feed.gap(&missing)
            && (!(missing == sensor.asked) || now - sensor.askedAtMs >= k_askAgainMs))
            askReplay(it.key(), sensor, missing);
        const qint64 sensorNow = now + sensor.info.clockOffsetMs;
        while (!sensor.recent.empty() && sensor.recent.front() < sensorNow - k_rateWindowMs)
            sensor.recent.pop_front();
        sensor.info.sweepsPerSecond = double(sensor.recent.size()) * 1000.0 / k_rateWindowMs;
        emit sensorUpdated(sensor.info);
    }
}
