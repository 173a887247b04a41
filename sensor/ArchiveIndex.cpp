#include "ArchiveIndex.h"

#include "SensorLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString k_segmentsName = QStringLiteral("segments.json");
const QString k_marksName = QStringLiteral("marks");
constexpr int k_marksBytes = 16;
constexpr int k_format = 1;

QString tr(const char *text)
{
    return QCoreApplication::translate("ArchiveIndex", text);
}

// Sequence numbers and times are kept as JSON numbers, exact up to 2^53.
quint64 readNumber(const QJsonObject &object, const char *key, bool *ok)
{
    const QJsonValue value = object.value(QLatin1String(key));
    const double number = value.toDouble(-1.0);
    if (!value.isDouble() || number < 0.0 || number > 9007199254740992.0)
        *ok = false;
    return *ok ? quint64(number) : 0;
}

void syncFolder(const QString &folder)
{
    const int fd
        = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool ArchiveSegment::isJournal() const
{
    return file.endsWith(QLatin1String(".journal"));
}

ArchiveIndex::ArchiveIndex(QString folder)
    : m_folder(std::move(folder))
{ }

ArchiveIndex::~ArchiveIndex()
{
    unlock();
}

bool ArchiveIndex::lock(QString *error)
{
    const QString path = QDir(m_folder).filePath(QStringLiteral("lock"));
    m_lockFd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFd < 0) {
        *error = tr("%1 cannot be made: %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        *error = tr("another quorvex-sensor uses the data folder %1").arg(m_folder);
        unlock();
        return false;
    }
    return true;
}

void ArchiveIndex::unlock()
{
    for (int *fd : {&m_marksFd, &m_lockFd}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

QString ArchiveIndex::path(const ArchiveSegment &segment) const
{
    return QDir(m_folder).filePath(segment.file);
}

bool ArchiveIndex::load(QString *error)
{
    segments.clear();
    nextSeqFloor = publishedEnd = reservedEnd = 0;
    QFile file(QDir(m_folder).filePath(k_segmentsName));
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            *error = tr("%1 cannot be read: %2").arg(file.fileName(), file.errorString());
            return false;
        }
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
        const QJsonObject root = document.object();
        bool ok = document.isObject() && root.value(QStringLiteral("format")).toInt() == k_format;
        nextSeqFloor = readNumber(root, "next_seq", &ok);
        const QJsonArray list = root.value(QStringLiteral("segments")).toArray();
        for (int i = 0; ok && i < list.size(); ++i) {
            const QJsonObject object = list.at(i).toObject();
            ArchiveSegment segment;
            segment.first = readNumber(object, "first", &ok);
            segment.count = readNumber(object, "count", &ok);
            segment.band = int(readNumber(object, "band", &ok));
            segment.startMs = qint64(readNumber(object, "start_ms", &ok));
            segment.endMs = qint64(readNumber(object, "end_ms", &ok));
            segment.file = object.value(QStringLiteral("file")).toString();
            segment.open = object.value(QStringLiteral("open")).toBool();
            // A file name stays inside the folder.
            ok = ok && !segment.file.isEmpty() && !segment.file.startsWith(QLatin1Char('/'))
                && !segment.file.contains(QLatin1String(".."))
                && (segments.isEmpty() || segments.last().end() <= segment.first);
            segments.append(segment);
        }
        if (!ok) {
            *error = tr("%1 is damaged; move it aside to start a new sequence of sweeps (its "
                        "recordings stay readable)")
                         .arg(file.fileName());
            segments.clear();
            return false;
        }
    }

    const QString marksPath = QDir(m_folder).filePath(k_marksName);
    m_marksFd
        = ::open(QFile::encodeName(marksPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_marksFd < 0) {
        *error
            = tr("%1 cannot be opened: %2").arg(marksPath, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    char bytes[k_marksBytes] = {};
    const ssize_t got = ::pread(m_marksFd, bytes, k_marksBytes, 0);
    if (got == k_marksBytes) {
        publishedEnd = qFromLittleEndian<quint64>(bytes);
        reservedEnd = qFromLittleEndian<quint64>(bytes + 8);
    } else if (got != 0) {
        *error
            = tr("%1 is damaged; move it aside to start a new sequence of sweeps").arg(marksPath);
        return false;
    } else if (!writeMarks()) {
        // Its bytes are placed now, so that later writes need no new space.
        *error = tr("%1 cannot be written: %2")
                     .arg(marksPath, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    return true;
}

bool ArchiveIndex::save(QString *error)
{
    QJsonArray list;
    for (const ArchiveSegment &segment : qAsConst(segments)) {
        QJsonObject object{
            {QStringLiteral("first"), double(segment.first)},
            {QStringLiteral("count"), double(segment.count)},
            {QStringLiteral("band"), segment.band},
            {QStringLiteral("start_ms"), double(segment.startMs)},
            {QStringLiteral("end_ms"), double(segment.endMs)},
            {QStringLiteral("file"), segment.file},
        };
        if (segment.open)
            object.insert(QStringLiteral("open"), true);
        list.append(object);
    }
    const QJsonObject root{{QStringLiteral("format"), k_format},
                           {QStringLiteral("next_seq"), double(nextSeqFloor)},
                           {QStringLiteral("segments"), list}};
    QSaveFile file(QDir(m_folder).filePath(k_segmentsName));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson()) < 0
        || !file.commit()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    // The new name is kept only once the folder is.
    syncFolder(m_folder);
    return true;
}

bool ArchiveIndex::writeMarks()
{
    if (m_marksFd < 0)
        return false;
    char bytes[k_marksBytes];
    qToLittleEndian<quint64>(publishedEnd, bytes);
    qToLittleEndian<quint64>(reservedEnd, bytes + 8);
    if (::pwrite(m_marksFd, bytes, k_marksBytes, 0) != k_marksBytes)
        return false;
    return ::fdatasync(m_marksFd) == 0;
}
