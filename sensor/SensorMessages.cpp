#include "SensorMessages.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SensorMessages", text);
}

// The largest whole number a JSON number (a double) holds exactly.
constexpr double k_maxExact = 9007199254740992.0;

bool readObject(const QByteArray &payload, QJsonObject *object, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(payload, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = tr("it is not JSON (%1 at byte %2)")
                     .arg(parseError.errorString())
                     .arg(parseError.offset);
        return false;
    }
    if (!document.isObject()) {
        *error = tr("it is not a JSON object");
        return false;
    }
    *object = document.object();
    return true;
}

// A whole number from 0 to 2^53.
bool readCount(const QJsonValue &value, quint64 *out)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    if (!(number >= 0.0 && number <= k_maxExact) || std::floor(number) != number)
        return false;
    *out = quint64(number);
    return true;
}

} // namespace

namespace SensorTopics {

QString prefix()
{
    return QStringLiteral("quorvex/v1/");
}

QString state(const QString &id)
{
    return prefix() + id + QStringLiteral("/state");
}

QString sweeps(const QString &id)
{
    return prefix() + id + QStringLiteral("/sweeps");
}

QString events(const QString &id)
{
    return prefix() + id + QStringLiteral("/events");
}

QString control(const QString &id)
{
    return prefix() + id + QStringLiteral("/control");
}

QString allControl()
{
    return control(QStringLiteral("all"));
}

bool isValidId(const QString &id)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9-]{1,32}$"));
    return pattern.match(id).hasMatch() && id != QLatin1String("all");
}

bool isPublishable(const QString &topic)
{
    const QByteArray bytes = topic.toUtf8();
    return !bytes.isEmpty() && bytes.size() <= 65535 && !bytes.contains('+') && !bytes.contains('#')
        && !bytes.contains('\0');
}

} // namespace SensorTopics

QByteArray SensorStatus::toJson() const
{
    QJsonObject object{
        {QStringLiteral("id"), id},
        {QStringLiteral("name"), name},
        {QStringLiteral("state"), state},
        {QStringLiteral("band"), band},
        {QStringLiteral("fstart_hz"), double(fstartHz)},
        {QStringLiteral("fstep_hz"), double(fstepHz)},
        {QStringLiteral("steps"), steps},
        {QStringLiteral("seq"), double(seq)},
        {QStringLiteral("time_ms"), double(timeMs)},
        {QStringLiteral("backlog"), double(backlog)},
        {QStringLiteral("program"), program},
        {QStringLiteral("first_seq"), double(firstSeq)},
        {QStringLiteral("storage"), storage},
        {QStringLiteral("analyzer"), analyzer},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool SensorStatus::fromJson(const QByteArray &payload, SensorStatus *status, QString *error)
{
    QJsonObject object;
    if (!readObject(payload, &object, error))
        return false;
    if (!object.value(QStringLiteral("id")).isString()
        || !object.value(QStringLiteral("state")).isString()) {
        *error = tr("it has no \"id\" and \"state\" texts");
        return false;
    }
    SensorStatus read;
    read.id = object.value(QStringLiteral("id")).toString();
    read.state = object.value(QStringLiteral("state")).toString();
    read.name = object.value(QStringLiteral("name")).toString(read.id);
    read.band = object.value(QStringLiteral("band")).toInt();
    read.fstartHz = quint32(object.value(QStringLiteral("fstart_hz")).toDouble());
    read.fstepHz = quint32(object.value(QStringLiteral("fstep_hz")).toDouble());
    read.steps = object.value(QStringLiteral("steps")).toInt();
    read.seq = qint64(object.value(QStringLiteral("seq")).toDouble(-1));
    read.timeMs = qint64(object.value(QStringLiteral("time_ms")).toDouble());
    read.backlog = qint64(object.value(QStringLiteral("backlog")).toDouble());
    read.program = object.value(QStringLiteral("program")).toString();
    read.firstSeq = qint64(object.value(QStringLiteral("first_seq")).toDouble());
    read.storage = object.value(QStringLiteral("storage")).toString();
    read.analyzer = object.value(QStringLiteral("analyzer")).toString();
    *status = read;
    return true;
}

QByteArray SensorStatus::offline(const QString &id)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("id"), id},
                                     {QStringLiteral("state"), QLatin1String(k_offline)}})
        .toJson(QJsonDocument::Compact);
}

QByteArray SensorEvent::toJson() const
{
    return QJsonDocument(QJsonObject{{QStringLiteral("time_ms"), double(timeMs)},
                                     {QStringLiteral("text"), text}})
        .toJson(QJsonDocument::Compact);
}

bool SensorEvent::fromJson(const QByteArray &payload, SensorEvent *event, QString *error)
{
    QJsonObject object;
    if (!readObject(payload, &object, error))
        return false;
    quint64 time = 0;
    if (!readCount(object.value(QStringLiteral("time_ms")), &time)
        || !object.value(QStringLiteral("text")).isString()) {
        *error = tr("it has no \"time_ms\" and \"text\"");
        return false;
    }
    event->timeMs = qint64(time);
    event->text = object.value(QStringLiteral("text")).toString();
    return true;
}

QString SensorControl::parse(const QByteArray &payload, SensorControl *control)
{
    *control = SensorControl();
    QJsonObject object;
    QString error;
    if (!readObject(payload, &object, &error))
        return error;
    SensorControl read;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (it.key() != QLatin1String("band") && it.key() != QLatin1String("replay"))
            return tr("\"%1\" is not a command").arg(it.key());
    }
    if (object.isEmpty())
        return tr("it holds no command");
    if (object.contains(QStringLiteral("band"))) {
        const QJsonValue band = object.value(QStringLiteral("band"));
        quint64 mhz = 0;
        if (!readCount(band, &mhz) || (mhz != 900 && mhz != 2400))
            return tr("\"band\" is neither 900 nor 2400");
        read.band = int(mhz);
    }
    if (object.contains(QStringLiteral("replay"))) {
        const QJsonValue value = object.value(QStringLiteral("replay"));
        if (!value.isObject())
            return tr("\"replay\" is not an object");
        const QJsonObject replay = value.toObject();
        if (!readCount(replay.value(QStringLiteral("from_seq")), &read.fromSeq)
            || !readCount(replay.value(QStringLiteral("to_seq")), &read.toSeq))
            return tr("\"from_seq\" and \"to_seq\" must be whole numbers of 0 or more");
        if (read.fromSeq > read.toSeq)
            return tr("\"from_seq\" %1 is above \"to_seq\" %2").arg(read.fromSeq).arg(read.toSeq);
        read.replyTopic = replay.value(QStringLiteral("reply")).toString();
        if (!SensorTopics::isPublishable(read.replyTopic))
            return tr("\"reply\" is not a topic to publish to");
        read.replay = true;
    }
    *control = read;
    return QString();
}

QByteArray SensorControl::bandCommand(int mhz)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("band"), mhz}}).toJson(QJsonDocument::Compact);
}

QByteArray SensorControl::replayCommand(quint64 fromSeq, quint64 toSeq, const QString &replyTopic)
{
    const QJsonObject replay{{QStringLiteral("from_seq"), double(fromSeq)},
                             {QStringLiteral("to_seq"), double(toSeq)},
                             {QStringLiteral("reply"), replyTopic}};
    return QJsonDocument(QJsonObject{{QStringLiteral("replay"), replay}})
        .toJson(QJsonDocument::Compact);
}
