#include "SweepPublisher.h"

#include "MqttClient.h"
#include "SensorLog.h"
#include "SweepArchive.h"
#include "SweepMessage.h"

SweepPublisher::SweepPublisher(SweepArchive &archive, MqttClient &client, QString sweepsTopic,
                               QObject *parent)
    : QObject(parent)
    , m_archive(archive)
    , m_client(client)
    , m_topic(std::move(sweepsTopic))
{
    m_stream.next = archive.publishedEnd();
    m_pauseTimer.setSingleShot(true);
    connect(&m_pauseTimer, &QTimer::timeout, this, &SweepPublisher::pump);
    connect(&client, &MqttClient::connected, this, &SweepPublisher::onConnected);
    connect(&client, &MqttClient::disconnected, this, &SweepPublisher::onDisconnected);
    connect(&client, &MqttClient::published, this, &SweepPublisher::onPublished);
    connect(&archive, &SweepArchive::durableAdvanced, this, &SweepPublisher::pump);
    connect(&archive, &SweepArchive::dataLoaded, this, &SweepPublisher::pump);
}

quint64 SweepPublisher::Cursor::ackedEnd() const
{
    quint64 end = next;
    for (const quint64 first : inflight)
        end = std::min(end, first);
    return end;
}

quint64 SweepPublisher::publishedEnd() const
{
    return m_stream.ackedEnd();
}

qint64 SweepPublisher::lastPublished() const
{
    return qint64(publishedEnd()) - 1;
}

quint64 SweepPublisher::backlog() const
{
    return m_archive.keptCount(publishedEnd(), m_archive.nextSeq());
}

void SweepPublisher::pump()
{
    while (m_client.isConnected() && m_messages.size() < k_window) {
        // Replays take every other message while the stream has sweeps to send.
        const bool sent
            = m_replayTurn ? sendReplay() || sendStream() : sendStream() || sendReplay();
        if (!sent)
            return;
        m_replayTurn = !m_replayTurn;
    }
}

bool SweepPublisher::sendStream()
{
    if (m_pauseTimer.isActive() || m_stream.next >= m_archive.durableEnd())
        return false;
    SweepBatch batch;
    switch (m_archive.fetch(m_stream.next, m_archive.durableEnd(), k_maxBatch, &batch)) {
    case SweepArchive::Fetch::Loading:
        return false;
    case SweepArchive::Fetch::None:
        // Nothing kept in between (sweeps that could not be kept).
        m_stream.next = m_archive.durableEnd();
        ackStream();
        return false;
    case SweepArchive::Fetch::Ready:
        break;
    }
    const int mid = m_client.publish(m_topic, SweepMessage::encode(batch));
    if (mid < 0)
        return false;
    m_messages.insert(mid, {-1, batch.firstSeq, batch.count()});
    m_stream.inflight.insert(mid, batch.firstSeq);
    m_stream.next = batch.endSeq();
    return true;
}

bool SweepPublisher::sendReplay()
{
    for (auto &entry : m_replays) {
        Replay &job = entry.second;
        const quint64 end = std::min(job.to + 1, m_archive.durableEnd());
        if (job.cursor.next >= end)
            continue;
        SweepBatch batch;
        const SweepArchive::Fetch fetched
            = m_archive.fetch(job.cursor.next, end, k_maxBatch, &batch);
        if (fetched == SweepArchive::Fetch::Loading)
            return false;
        if (fetched == SweepArchive::Fetch::None) {
            job.cursor.next = end;
            if (job.cursor.next > job.to && job.cursor.inflight.isEmpty()) {
                finishReplay(entry.first, QString());
                return true;
            }
            continue;
        }
        const int mid = m_client.publish(job.topic, SweepMessage::encode(batch));
        if (mid < 0)
            return false;
        m_messages.insert(mid, {entry.first, batch.firstSeq, batch.count()});
        job.cursor.inflight.insert(mid, batch.firstSeq);
        job.cursor.next = batch.endSeq();
        job.sent += quint64(batch.count());
        return true;
    }
    return false;
}

bool SweepPublisher::replay(quint64 fromSeq, quint64 toSeq, const QString &topic, QString *why)
{
    const quint64 newest = m_archive.nextSeq();
    const quint64 oldest = m_archive.firstKeptSeq();
    if (fromSeq >= newest) {
        *why = tr("from_seq %1 lies beyond the newest sweep (%2)")
                   .arg(fromSeq)
                   .arg(qint64(newest) - 1);
        return false;
    }
    if (toSeq < oldest || m_archive.keptCount(fromSeq, toSeq + 1) == 0) {
        *why = tr("none of the sweeps %1 to %2 is kept (the oldest kept is %3)")
                   .arg(fromSeq)
                   .arg(toSeq)
                   .arg(oldest);
        return false;
    }
    if (m_replays.size() >= k_maxReplays) {
        *why = tr("%1 replays wait already").arg(m_replays.size());
        return false;
    }
    Replay job;
    job.to = std::min(toSeq, newest - 1);
    job.topic = topic;
    job.cursor.next = std::max(fromSeq, oldest);
    qCInfo(lcSensor).noquote() << QStringLiteral("Replaying sweeps %1 to %2 on %3 (%4 kept)")
                                      .arg(job.cursor.next)
                                      .arg(job.to)
                                      .arg(topic)
                                      .arg(m_archive.keptCount(job.cursor.next, job.to + 1));
    m_replays.append({m_nextReplaySerial++, job});
    pump();
    return true;
}

SweepPublisher::Replay *SweepPublisher::findReplay(int serial)
{
    for (auto &entry : m_replays) {
        if (entry.first == serial)
            return &entry.second;
    }
    return nullptr;
}

void SweepPublisher::finishReplay(int serial, const QString &outcome)
{
    for (int i = 0; i < m_replays.size(); ++i) {
        if (m_replays.at(i).first != serial)
            continue;
        const Replay &job = m_replays.at(i).second;
        if (outcome.isEmpty())
            qCInfo(lcSensor).noquote()
                << "Replay on" << job.topic << "published:" << job.sent << "sweeps";
        else
            qCWarning(lcSensor).noquote() << "Replay on" << job.topic << "abandoned:" << outcome;
        for (const int mid : job.cursor.inflight.keys())
            m_messages.remove(mid);
        m_replays.removeAt(i);
        return;
    }
}

void SweepPublisher::onConnected()
{
    m_pauseTimer.stop();
    m_pauseMs = k_firstPauseMs;
    m_catchUpEnd = m_archive.durableEnd();
    m_catchUpSweeps = m_archive.keptCount(publishedEnd(), m_catchUpEnd);
    m_sinceConnect.start();
    pump();
}

void SweepPublisher::onDisconnected()
{
    // What the broker did not acknowledge goes again on the next connection.
    m_stream.next = m_stream.ackedEnd();
    m_stream.inflight.clear();
    for (auto &entry : m_replays) {
        entry.second.cursor.next = entry.second.cursor.ackedEnd();
        entry.second.cursor.inflight.clear();
    }
    m_messages.clear();
}

void SweepPublisher::onPublished(int mid, int reasonCode)
{
    const auto found = m_messages.constFind(mid);
    if (found == m_messages.constEnd())
        return;
    const Message message = found.value();
    m_messages.erase(found);
    const bool refused = reasonCode >= MqttClient::k_firstRefusal;
    if (message.replay >= 0) {
        Replay *job = findReplay(message.replay);
        if (!job)
            return;
        job->cursor.inflight.remove(mid);
        if (refused)
            finishReplay(message.replay,
                         tr("the broker refused it: %1").arg(MqttClient::reasonText(reasonCode)));
        else if (job->cursor.next > job->to && job->cursor.inflight.isEmpty())
            finishReplay(message.replay, QString());
    } else {
        m_stream.inflight.remove(mid);
        if (refused) {
            m_stream.next = std::min(m_stream.next, message.first);
            if (!m_pauseTimer.isActive()) {
                qCWarning(lcSensor).noquote()
                    << QStringLiteral("The broker %1 refused the sweeps on %2: %3 - they stay on "
                                      "disk and are offered again in %4 s")
                           .arg(m_client.brokerUrl(), m_topic, MqttClient::reasonText(reasonCode))
                           .arg(m_pauseMs / 1000);
                m_pauseTimer.start(m_pauseMs);
                m_pauseMs = std::min(m_pauseMs * 2, k_maxPauseMs);
            }
        } else {
            m_pauseMs = k_firstPauseMs;
        }
        ackStream();
    }
    pump();
}

void SweepPublisher::ackStream()
{
    const quint64 end = publishedEnd();
    m_archive.setPublishedEnd(end);
    if (m_catchUpSweeps > 0 && end >= m_catchUpEnd) {
        const quint64 sweeps = m_catchUpSweeps;
        m_catchUpSweeps = 0;
        emit caughtUp(sweeps, m_sinceConnect.elapsed());
    }
}
