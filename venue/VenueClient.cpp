#include "VenueClient.h"

#include "VenueReceiver.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

// A client id the broker knows this window by: the host, the process and a random part, in the
// characters a topic level takes.
QString makeViewerId()
{
    QString host = QHostInfo::localHostName().left(20);
    host.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9-]")), QStringLiteral("-"));
    return QStringLiteral("viewer-%1-%2-%3")
        .arg(host)
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate() % 100000);
}

} // namespace

VenueClient::VenueClient(QObject *parent)
    : QObject(parent)
    , m_viewerId(makeViewerId())
    , m_receiver(new VenueReceiver(m_viewerId, k_defaultReplayMinutes))
{
    qRegisterMetaType<SensorInfo>();
    qRegisterMetaType<SweepBatch>();
    qRegisterMetaType<SensorEvent>();
    m_thread.setObjectName(QStringLiteral("VenueReceiver"));
    m_receiver->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_receiver, &QObject::deleteLater);
    connect(m_receiver, &VenueReceiver::connectionChanged, this,
            [this](bool connected, const QString &text) {
                m_connected = connected;
                emit connectionChanged(connected, text);
            });
    connect(m_receiver, &VenueReceiver::sensorUpdated, this, [this](const SensorInfo &info) {
        m_sensors.insert(info.status.id, info);
        emit sensorUpdated(info);
    });
    connect(m_receiver, &VenueReceiver::sweepsReady, this, &VenueClient::sweepsReady);
    connect(m_receiver, &VenueReceiver::eventReceived, this, &VenueClient::eventReceived);
    connect(m_receiver, &VenueReceiver::problem, this, &VenueClient::problem);
    m_thread.start();
}

VenueClient::~VenueClient()
{
    QMetaObject::invokeMethod(m_receiver, &VenueReceiver::stop, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void VenueClient::connectTo(const BrokerSettings &settings)
{
    m_url = settings.url();
    QMetaObject::invokeMethod(m_receiver, [this, settings] { m_receiver->start(settings); });
}

void VenueClient::disconnectFromBroker()
{
    QMetaObject::invokeMethod(m_receiver, &VenueReceiver::stop);
    m_connected = false;
}

void VenueClient::setReplayMinutes(int minutes)
{
    QMetaObject::invokeMethod(m_receiver,
                              [this, minutes] { m_receiver->setReplayMinutes(minutes); });
}

void VenueClient::setBand(const QString &sensorId, int mhz)
{
    QMetaObject::invokeMethod(m_receiver,
                              [this, sensorId, mhz] { m_receiver->sendBand(sensorId, mhz); });
}
