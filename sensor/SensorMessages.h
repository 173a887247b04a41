#pragma once

#include <QByteArray>
#include <QString>

// The sensor's topics and its JSON messages, wire format version 1 (quorvex-sensor(1), WIRE
// FORMAT). Sensors build them; viewers read them with the same functions.
namespace SensorTopics {

// "quorvex/v1/".
QString prefix();
QString state(const QString &id);
QString sweeps(const QString &id);
QString events(const QString &id);
QString control(const QString &id);
// The control topic of every sensor at once.
QString allControl();
// Letters, digits and '-', 1 to 32 of them, and not "all" (the topic to every sensor).
bool isValidId(const QString &id);
// A topic a client may publish to: 1 to 65535 bytes, no wildcard ('+', '#') and no NUL.
bool isPublishable(const QString &topic);

} // namespace SensorTopics

// The retained state message.
struct SensorStatus
{
    static constexpr const char *k_scanning = "scanning";
    static constexpr const char *k_noAnalyzer = "no-analyzer";
    static constexpr const char *k_stopped = "stopped";
    static constexpr const char *k_offline = "offline";
    static constexpr const char *k_storageOk = "ok";
    static constexpr const char *k_storageFull = "full";

    QString id;
    QString name;
    QString state;
    int band = 0;
    quint32 fstartHz = 0;
    quint32 fstepHz = 0;
    int steps = 0;
    // The last sequence number published; -1 before the first.
    qint64 seq = -1;
    qint64 timeMs = 0;
    qint64 backlog = 0;
    QString program;
    // Beyond the fields every state has: the oldest sequence number kept (for replays), the
    // data folder's state, and the analyzer's port (empty while there is none).
    qint64 firstSeq = 0;
    QString storage;
    QString analyzer;

    QByteArray toJson() const;
    // Reads a state message; false (with *error) when it is not a JSON object with an "id"
    // and a "state". Missing numbers keep their defaults (the last will has only the two).
    static bool fromJson(const QByteArray &payload, SensorStatus *status, QString *error);
    // The last will: {"id": ..., "state": "offline"}.
    static QByteArray offline(const QString &id);
};

// A message of the events topic: what the sensor itself noticed, and when.
struct SensorEvent
{
    qint64 timeMs = 0;
    QString text;

    QByteArray toJson() const;
    static bool fromJson(const QByteArray &payload, SensorEvent *event, QString *error);
};

// A command on a control topic: a band to switch to, a range of sweeps to publish again, or
// both (the band first).
struct SensorControl
{
    int band = 0; // 0: none
    bool replay = false;
    quint64 fromSeq = 0;
    quint64 toSeq = 0;
    QString replyTopic;

    // Reads a command. Returns why it is not one (then *control is left empty), or an empty
    // text. A number that is not a whole number from 0 to 2^53 is not one.
    static QString parse(const QByteArray &payload, SensorControl *control);
    static QByteArray bandCommand(int mhz);
    static QByteArray replayCommand(quint64 fromSeq, quint64 toSeq, const QString &replyTopic);
};
