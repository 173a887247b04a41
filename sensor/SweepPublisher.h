#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class MqttClient;
class SweepArchive;

// Publishes a sensor's sweeps from its archive: every durable sweep once, oldest first (a
// backlog that built up while the broker was away, then the live ones), several sweeps to a
// message when a backlog allows, and replays of kept sweeps to the topics viewers ask for.
// At most k_window messages are in flight; a sweep counts as published once the broker
// acknowledged it, and the archive keeps that mark across runs. What was in flight when the
// connection was lost is offered again on the next. Sweeps the broker refuses (an access list
// that does not allow the topic) stay unpublished and are offered again after a pause.
class SweepPublisher : public QObject
{
    Q_OBJECT

public:
    static constexpr int k_window = 16;
    static constexpr int k_maxBatch = 200;
    static constexpr int k_maxReplays = 4;
    static constexpr int k_firstPauseMs = 5000;
    static constexpr int k_maxPauseMs = 300000;

    SweepPublisher(SweepArchive &archive, MqttClient &client, QString sweepsTopic,
                   QObject *parent = nullptr);

    // Sends what can be sent now.
    void pump();
    // Queues a replay of the kept sweeps of [fromSeq, toSeq] to `topic`. False, with *why,
    // when the range holds no sweep kept or too many replays wait already.
    bool replay(quint64 fromSeq, quint64 toSeq, const QString &topic, QString *why);

    // Every kept sweep below this is published.
    quint64 publishedEnd() const;
    // The sequence number of the last sweep published (every kept one before it is too);
    // -1 before the first.
    qint64 lastPublished() const;
    // Kept sweeps not yet published.
    quint64 backlog() const;

Q_SIGNALS:
    // The backlog found at a connect (`sweeps` of it) is published, `ms` after the connect.
    void caughtUp(quint64 sweeps, qint64 ms);

private:
    // Where a stream of sweeps stands: the next to send, and the first sequence number of each
    // message in flight.
    struct Cursor
    {
        quint64 next = 0;
        QHash<int, quint64> inflight;
        quint64 ackedEnd() const;
    };
    struct Replay
    {
        quint64 to; // inclusive
        QString topic;
        Cursor cursor;
        quint64 sent = 0;
    };
    struct Message
    {
        int replay; // -1: the stream; else the replay's serial
        quint64 first;
        int count;
    };

    void onConnected();
    void onDisconnected();
    void onPublished(int mid, int reasonCode);
    // Sends one message of the stream or of the first replay; false when neither has one now.
    bool sendStream();
    bool sendReplay();
    Replay *findReplay(int serial);
    void finishReplay(int serial, const QString &outcome);
    void ackStream();

    SweepArchive &m_archive;
    MqttClient &m_client;
    const QString m_topic;
    Cursor m_stream;
    QList<QPair<int, Replay>> m_replays;
    int m_nextReplaySerial = 0;
    QHash<int, Message> m_messages;
    bool m_replayTurn = false;
    QTimer m_pauseTimer;
    int m_pauseMs = k_firstPauseMs;
    // The backlog found at the last connect, and since when it is being sent.
    quint64 m_catchUpEnd = 0;
    quint64 m_catchUpSweeps = 0;
    QElapsedTimer m_sinceConnect;
};
