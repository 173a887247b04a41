#include "SensorService.h"

#include "SensorLog.h"
#include "SweepArchive.h"
#include "SweepPublisher.h"
#include "data/AppVersion.h"
#include "sim/SimulatedAnalyzer.h"

#include <QDateTime>
#include <QEventLoop>

SensorService::SensorService(SensorConfig config, QObject *parent)
    : QObject(parent)
    , m_config(std::move(config))
    , m_band(SensorBand::of(m_config.bandMhz))
{
    m_syncTimer.setSingleShot(true);
    m_syncTimer.setInterval(k_syncDelayMs);
    connect(&m_syncTimer, &QTimer::timeout, this, [this] { m_archive->sync(); });
    m_stateTimer.setInterval(k_stateIntervalMs);
    connect(&m_stateTimer, &QTimer::timeout, this, &SensorService::publishState);
}

SensorService::~SensorService()
{
    stop();
}

bool SensorService::start(QString *error)
{
    SweepArchive::Options options;
    options.folder = m_config.dataDir;
    options.sensorId = m_config.id;
    options.sensorName = m_config.name;
    options.keepHours = m_config.keepHours;
    m_archive = std::make_unique<SweepArchive>(options);
    if (!m_archive->open(error)) {
        m_archive.reset();
        return false;
    }
    if (m_config.simulate) {
        m_simulator = std::make_unique<SimulatedAnalyzer>(m_config.simulator);
        if (!m_simulator->start()) {
            *error = tr("the simulated analyzer cannot start: %1").arg(m_simulator->errorString());
            m_simulator.reset();
            m_archive.reset();
            return false;
        }
        m_link.setPort(m_simulator->portName());
    } else {
        m_link.setPort(m_config.port);
    }
    const QString id = m_config.id;
    m_publisher = std::make_unique<SweepPublisher>(*m_archive, m_client, SensorTopics::sweeps(id));

    connect(m_publisher.get(), &SweepPublisher::caughtUp, this, [this](quint64 sweeps, qint64 ms) {
        publishEvent(tr("Caught up after the broker was away: %1 sweeps published in %2 s")
                         .arg(sweeps)
                         .arg(double(ms) / 1000.0, 0, 'f', 2));
        publishState();
    });
    connect(m_archive.get(), &SweepArchive::storageChanged, this,
            [this](bool full, const QString &reason) {
                publishEvent(full ? tr("The data folder takes no more sweeps (%1); the newest "
                                       "are held in memory")
                                        .arg(reason)
                                  : tr("The data folder takes sweeps again"));
                publishState();
            });
    connect(&m_link, &AnalyzerLink::sweep, this, &SensorService::onSweep);
    connect(&m_link, &AnalyzerLink::stateChanged, this, &SensorService::noteStateChange);
    connect(&m_link, &AnalyzerLink::lost, this, [this](const QString &port, const QString &reason) {
        publishEvent(tr("Analyzer on %1 lost (%2); looking for it").arg(port, reason));
    });
    connect(&m_link, &AnalyzerLink::found, this, [this](const QString &port) {
        publishEvent(tr("Analyzer on %1 scanning %2").arg(port, m_link.band().label()));
    });

    m_client.setWill(SensorTopics::state(id), SensorStatus::offline(id), true);
    m_client.setSubscriptions({SensorTopics::control(id), SensorTopics::allControl()});
    connect(&m_client, &MqttClient::connected, this, &SensorService::onConnected);
    connect(&m_client, &MqttClient::connectFailed, this, &SensorService::onConnectFailed);
    connect(&m_client, &MqttClient::disconnected, this, [this](const QString &reason) {
        if (!m_stopped)
            qCWarning(lcSensor).noquote()
                << QStringLiteral("Lost the broker %1: %2 - sweeps wait on disk meanwhile")
                       .arg(m_client.brokerUrl(), reason);
    });
    connect(&m_client, &MqttClient::subscriptionRefused, this,
            [](const QString &topic, const QString &reason) {
                qCWarning(lcSensor).noquote()
                    << QStringLiteral("The broker refused the subscription to %1: %2")
                           .arg(topic, reason);
            });
    connect(&m_client, &MqttClient::messageReceived, this, &SensorService::onMessage);

    qCInfo(lcSensor).noquote() << QStringLiteral("Sensor %1 (%2) keeps its sweeps in %3 from "
                                                 "sequence number %4 and publishes to %5")
                                      .arg(id, m_config.name, m_archive->folder())
                                      .arg(m_archive->nextSeq())
                                      .arg(m_config.broker.url());
    m_client.start(m_config.broker, QStringLiteral("quorvex-sensor-") + id);
    m_link.start(m_band);
    m_stateTimer.start();
    return true;
}

void SensorService::stop()
{
    if (m_stopped || !m_archive)
        return;
    m_stopped = true;
    // The broker hears "stopped" once, below.
    m_lastState = stateWord();
    m_stateTimer.stop();
    m_link.stop();
    m_syncTimer.stop();
    m_archive->sync();
    // The broker keeps "stopped" rather than the last will: wait a moment for it to take it.
    const int mid = m_client.publish(SensorTopics::state(m_config.id), status().toJson(), true);
    if (mid >= 0) {
        QEventLoop wait;
        connect(&m_client, &MqttClient::published, &wait, [&wait, mid](int acknowledged) {
            if (acknowledged == mid)
                wait.quit();
        });
        connect(&m_client, &MqttClient::disconnected, &wait, &QEventLoop::quit);
        QTimer::singleShot(k_stopWaitMs, &wait, &QEventLoop::quit);
        wait.exec();
    }
    m_client.stop();
    qCInfo(lcSensor).noquote() << "Stopped with" << m_archive->nextSeq() << "sweeps numbered,"
                               << m_publisher->backlog() << "of them kept and not yet published";
    m_publisher.reset();
    m_archive->close();
    if (m_simulator)
        m_simulator->stop();
}

SensorStatus SensorService::status() const
{
    SensorStatus s;
    s.id = m_config.id;
    s.name = m_config.name;
    s.state = stateWord();
    s.band = m_band.mhz;
    s.fstartHz = m_band.fstartHz;
    s.fstepHz = m_band.fstepHz;
    s.steps = m_band.steps;
    s.seq = m_publisher ? m_publisher->lastPublished() : -1;
    s.timeMs = QDateTime::currentMSecsSinceEpoch();
    s.backlog = m_publisher ? qint64(m_publisher->backlog()) : 0;
    s.program = QStringLiteral("quorvex-sensor ") + AppVersion::text();
    s.firstSeq = m_archive ? qint64(m_archive->firstKeptSeq()) : 0;
    s.storage = QLatin1String(m_archive && m_archive->isFull() ? SensorStatus::k_storageFull
                                                               : SensorStatus::k_storageOk);
    s.analyzer = m_link.state() == AnalyzerLink::State::Scanning ? m_link.port() : QString();
    return s;
}

QString SensorService::stateWord() const
{
    if (m_stopped)
        return QLatin1String(SensorStatus::k_stopped);
    return QLatin1String(m_link.state() == AnalyzerLink::State::Scanning
                             ? SensorStatus::k_scanning
                             : SensorStatus::k_noAnalyzer);
}

void SensorService::noteStateChange()
{
    const QString state = stateWord();
    if (state == m_lastState)
        return;
    m_lastState = state;
    publishState();
}

void SensorService::onSweep(qint64 timestamp, const RfSpectrumScan &scan, const SensorBand &band)
{
    m_archive->append(band, timestamp, scan);
    if (!m_syncTimer.isActive())
        m_syncTimer.start();
}

void SensorService::onConnected()
{
    qCInfo(lcSensor).noquote() << "Connected to the broker" << m_client.brokerUrl();
    m_lastFailure.clear();
    publishState();
    sendEvents();
}

void SensorService::onConnectFailed(const QString &reason, int retryMs)
{
    // Said when it changes, and once a minute while it stays.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (reason == m_lastFailure && now - m_lastFailureLogMs < 60000) {
        qCDebug(lcSensor).noquote()
            << QStringLiteral("Broker %1: %2").arg(m_client.brokerUrl(), reason);
        return;
    }
    m_lastFailure = reason;
    m_lastFailureLogMs = now;
    qCWarning(lcSensor).noquote()
        << QStringLiteral("Broker %1: %2 - trying again in %3 s, sweeps wait on disk")
               .arg(m_client.brokerUrl(), reason)
               .arg(retryMs / 1000);
}

void SensorService::onMessage(const QString &topic, const QByteArray &payload)
{
    SensorControl command;
    // No command is near this long; a longer payload is not read at all.
    const QString problem = payload.size() > k_maxCommandBytes
        ? tr("it is longer than any command")
        : SensorControl::parse(payload, &command);
    if (!problem.isEmpty()) {
        qCWarning(lcSensor).noquote() << QStringLiteral("Ignored a command of %1 bytes on %2: %3")
                                             .arg(payload.size())
                                             .arg(topic, problem);
        return;
    }
    if (command.band != 0 && command.band != m_band.mhz) {
        m_band = SensorBand::of(command.band);
        m_link.setBand(m_band);
        publishEvent(tr("Band switched to %1 by a command on %2").arg(m_band.label(), topic));
        publishState();
    }
    QString why;
    if (command.replay
        && !m_publisher->replay(command.fromSeq, command.toSeq, command.replyTopic, &why))
        qCWarning(lcSensor).noquote()
            << QStringLiteral("Ignored a replay of sweeps %1 to %2 on %3: %4")
                   .arg(command.fromSeq)
                   .arg(command.toSeq)
                   .arg(topic, why);
}

void SensorService::publishState()
{
    if (m_client.isConnected())
        m_client.publish(SensorTopics::state(m_config.id), status().toJson(), true);
}

void SensorService::publishEvent(const QString &text)
{
    qCInfo(lcSensor).noquote() << "Event:" << text;
    m_events.append({QDateTime::currentMSecsSinceEpoch(), text});
    while (m_events.size() > k_maxEvents)
        m_events.removeFirst();
    sendEvents();
}

void SensorService::sendEvents()
{
    while (!m_events.isEmpty() && m_client.isConnected()) {
        if (m_client.publish(SensorTopics::events(m_config.id), m_events.first().toJson()) < 0)
            return;
        m_events.removeFirst();
    }
}
