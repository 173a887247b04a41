#include "HistoryJournal.h"

#include "DataLog.h"
#include "JournalEncoder.h"
#include "RecordingFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <variant>
#include <vector>

namespace {

struct SnapshotOp
{
    RfSpectrumHistory history;
    qint64 createdMs;
    QString programVersion;
    // The recording file that the journal's edits amend (empty for a scan's journal), with
    // its size and last change.
    QString amends = QString();
    qint64 amendsSize = 0;
    qint64 amendsModifiedMs = 0;
};
struct NewestWifiOp
{
    WifiScan accessPoints;
};
struct TimeEventOp
{
    TimeEvent event;
    bool added;
};
struct LabelOp
{
    SpectroLabel label;
    bool added;
};
using Op = std::variant<SnapshotOp, RfSpectrumSample, NewestWifiOp, TimeEventOp, LabelOp,
                        ProjectInfoData>;

QString systemError(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

} // namespace

// The file and the thread that writes it. Everything the owner's thread touches is guarded
// by `mutex`; the encoder and the file belong to the thread.
struct HistoryJournal::Writer
{
    int fd = -1;
    JournalEncoder encoder;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable written;
    std::vector<Op> pending;
    quint64 queuedOps = 0;
    quint64 writtenOps = 0;
    bool stopping = false;
    bool discarding = false;
    bool flushWanted = false;
    QString error;
    std::atomic<qint64> bytes{0};
    std::function<void(QString)> onFailure;
    std::thread thread;

    void run();
    void encode(const Op &op, QByteArray &out);
    // Writes every byte and syncs the data; the reason when that fails.
    QString writeOut(const QByteArray &out);
};

void HistoryJournal::Writer::run()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        // Nothing queued: the thread sleeps until something is (an idle program wakes for
        // nothing). Then what follows within the flush interval is written with it, at once.
        wake.wait(lock, [this] { return stopping || flushWanted || !pending.empty(); });
        wake.wait_for(lock, std::chrono::milliseconds(k_flushIntervalMs),
                      [this] { return stopping || flushWanted; });
        std::vector<Op> ops;
        ops.swap(pending);
        const quint64 target = queuedOps;
        const bool stop = stopping;
        const bool skip = discarding || !error.isEmpty();
        lock.unlock();
        QString failure;
        if (!skip && !ops.empty()) {
            QByteArray out;
            for (const Op &op : ops)
                encode(op, out);
            failure = writeOut(out);
        }
        ops.clear();
        lock.lock();
        if (!failure.isEmpty() && error.isEmpty()) {
            error = failure;
            if (onFailure)
                onFailure(failure);
        }
        writtenOps = target;
        flushWanted = false;
        written.notify_all();
        if (stop)
            return;
    }
}

void HistoryJournal::Writer::encode(const Op &op, QByteArray &out)
{
    if (const auto *snapshot = std::get_if<SnapshotOp>(&op)) {
        encoder.header(out, snapshot->history, snapshot->createdMs, snapshot->programVersion);
        if (!snapshot->amends.isEmpty())
            encoder.amends(out, snapshot->amends, snapshot->amendsSize, snapshot->amendsModifiedMs);
        encoder.contents(out, snapshot->history);
    } else if (const auto *sample = std::get_if<RfSpectrumSample>(&op)) {
        encoder.sample(out, *sample);
    } else if (const auto *wifi = std::get_if<NewestWifiOp>(&op)) {
        encoder.newestWifi(out, wifi->accessPoints);
    } else if (const auto *event = std::get_if<TimeEventOp>(&op)) {
        encoder.timeEvent(out, event->event, event->added);
    } else if (const auto *label = std::get_if<LabelOp>(&op)) {
        encoder.label(out, label->label, label->added);
    } else if (const auto *info = std::get_if<ProjectInfoData>(&op)) {
        encoder.projectInfo(out, *info);
    }
}

QString HistoryJournal::Writer::writeOut(const QByteArray &out)
{
    const char *at = out.constData();
    qint64 left = out.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, at, size_t(left));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return systemError(errno);
        }
        at += done;
        left -= done;
        bytes += done;
    }
    // Written is not yet kept: a power cut takes what is only in the system's cache.
    if (::fdatasync(fd) != 0 && errno != EINVAL)
        return systemError(errno);
    return QString();
}

HistoryJournal::HistoryJournal(QString folder, QObject *parent)
    : QObject(parent)
    , m_folder(std::move(folder))
{ }

HistoryJournal::~HistoryJournal()
{
    close();
}

bool HistoryJournal::isOpen() const
{
    return m_writer != nullptr;
}

QString HistoryJournal::errorString() const
{
    if (!m_writer)
        return m_setupError;
    std::lock_guard<std::mutex> lock(m_writer->mutex);
    return m_writer->error;
}

qint64 HistoryJournal::bytesWritten() const
{
    return m_writer ? m_writer->bytes.load() : 0;
}

int HistoryJournal::create(const RfSpectrumHistory &history, qint64 now, QString *path)
{
    close();
    if (!QDir().mkpath(m_folder)) {
        reportFailure(tr("the folder %1 cannot be made").arg(QDir::toNativeSeparators(m_folder)));
        return -1;
    }
    // The names tell the band, time and process of every unsaved scan: this user's alone.
    const QByteArray folder = QFile::encodeName(m_folder);
    struct stat status;
    if (::stat(folder.constData(), &status) == 0 && (status.st_mode & 077) != 0
        && ::chmod(folder.constData(), status.st_mode & 0700) != 0)
        qCWarning(lcData).noquote()
            << "Journal folder" << m_folder << "left open to others:" << systemError(errno);
    static std::atomic<int> serial{0};
    const QString band = RecordingFile::bandOf(history) == RecordingFile::Band::Band900MHz
        ? QStringLiteral("900MHz")
        : QStringLiteral("2400MHz");
    *path = QDir(m_folder).filePath(
        QStringLiteral("%1_%2_%3_%4")
            .arg(band,
                 QDateTime::fromMSecsSinceEpoch(now).toString(QStringLiteral("yyyyMMdd-HHmmss")))
            .arg(QCoreApplication::applicationPid())
            .arg(++serial)
        + JournalFormat::suffix());
    const int fd = ::open(QFile::encodeName(*path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        reportFailure(tr("%1 cannot be made: %2").arg(*path, systemError(errno)));
    return fd;
}

bool HistoryJournal::begin(const RfSpectrumHistory &history, const QString &programVersion)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QString path;
    const int fd = create(history, now, &path);
    if (fd < 0 || !start(fd, path))
        return false;
    enqueue(SnapshotOp{history, now, programVersion});
    return true;
}

bool HistoryJournal::beginAmendment(const RfSpectrumHistory &history, const QString &recordingPath,
                                    const QString &programVersion)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QString path;
    const int fd = create(history, now, &path);
    if (fd < 0 || !start(fd, path))
        return false;
    // The sweeps stay in the file; the journal holds what was changed on top of it.
    RfSpectrumHistory edits;
    edits.freqInterval = history.freqInterval;
    edits.rssiInterval = history.rssiInterval;
    const QFileInfo file(recordingPath);
    enqueue(SnapshotOp{edits, now, programVersion, file.absoluteFilePath(), file.size(),
                       file.lastModified().toMSecsSinceEpoch()});
    return true;
}

bool HistoryJournal::adopt(const QString &path, qint64 validBytes, quint32 lastSetNumber)
{
    close();
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        reportFailure(tr("%1 cannot be opened: %2").arg(path, systemError(errno)));
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        reportFailure(tr("%1 is in use by another program").arg(path));
        return false;
    }
    if (::ftruncate(fd, validBytes) != 0 || ::lseek(fd, 0, SEEK_END) < 0) {
        const QString reason = systemError(errno);
        ::close(fd);
        reportFailure(tr("%1 cannot be written: %2").arg(path, reason));
        return false;
    }
    if (!start(fd, path))
        return false;
    m_writer->encoder.continueAfter(lastSetNumber);
    return true;
}

bool HistoryJournal::start(int fd, const QString &path)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const QString reason = systemError(errno);
        ::close(fd);
        ::unlink(QFile::encodeName(path).constData());
        reportFailure(tr("%1 cannot be locked: %2").arg(path, reason));
        return false;
    }
    m_path = path;
    m_setupError.clear();
    m_writer = std::make_unique<Writer>();
    m_writer->fd = fd;
    // The thread reports a failure to this object's thread, once, unless the journal has
    // moved on to another file by then.
    const quint64 generation = ++m_generation;
    m_writer->onFailure = [this, generation](const QString &reason) {
        QMetaObject::invokeMethod(
            this,
            [this, reason, generation] {
                if (generation != m_generation || !m_writer)
                    return;
                qCWarning(lcData).noquote() << "Journal" << m_path << "not written:" << reason;
                emit failed(reason);
            },
            Qt::QueuedConnection);
    };
    m_writer->thread = std::thread([writer = m_writer.get()] { writer->run(); });
    return true;
}

void HistoryJournal::reportFailure(const QString &reason)
{
    m_setupError = reason;
    qCWarning(lcData).noquote() << "Journal not started:" << reason;
}

template<typename OpType> void HistoryJournal::enqueue(OpType &&op)
{
    if (!m_writer)
        return;
    std::lock_guard<std::mutex> lock(m_writer->mutex);
    m_writer->pending.emplace_back(std::forward<OpType>(op));
    ++m_writer->queuedOps;
    if (m_writer->pending.size() == 1)
        m_writer->wake.notify_one();
}

void HistoryJournal::appendSample(const RfSpectrumSample &sample)
{
    enqueue(RfSpectrumSample(sample));
}

void HistoryJournal::setNewestWifi(const WifiScan &accessPoints)
{
    enqueue(NewestWifiOp{accessPoints});
}

void HistoryJournal::addTimeEvent(const TimeEvent &event)
{
    enqueue(TimeEventOp{event, true});
}

void HistoryJournal::removeTimeEvent(const TimeEvent &event)
{
    enqueue(TimeEventOp{event, false});
}

void HistoryJournal::addLabel(const SpectroLabel &label)
{
    enqueue(LabelOp{label, true});
}

void HistoryJournal::removeLabel(const SpectroLabel &label)
{
    enqueue(LabelOp{label, false});
}

void HistoryJournal::setProjectInfo(const ProjectInfoData &info)
{
    enqueue(ProjectInfoData(info));
}

bool HistoryJournal::flush()
{
    if (!m_writer)
        return m_setupError.isEmpty();
    std::unique_lock<std::mutex> lock(m_writer->mutex);
    const quint64 target = m_writer->queuedOps;
    m_writer->flushWanted = true;
    m_writer->wake.notify_one();
    m_writer->written.wait(lock, [this, target] { return m_writer->writtenOps >= target; });
    return m_writer->error.isEmpty();
}

bool HistoryJournal::isCaughtUp() const
{
    if (!m_writer)
        return false;
    std::lock_guard<std::mutex> lock(m_writer->mutex);
    return m_writer->error.isEmpty() && m_writer->writtenOps >= m_writer->queuedOps;
}

void HistoryJournal::close()
{
    if (!m_writer)
        return;
    {
        std::lock_guard<std::mutex> lock(m_writer->mutex);
        m_writer->stopping = true;
        m_writer->wake.notify_one();
    }
    m_writer->thread.join();
    // Closing the file also releases its lock.
    ::close(m_writer->fd);
    m_writer.reset();
}

void HistoryJournal::discard()
{
    if (m_writer) {
        std::lock_guard<std::mutex> lock(m_writer->mutex);
        m_writer->discarding = true;
    }
    close();
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    m_path.clear();
}

bool HistoryJournal::isInUse(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool inUse = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return inUse;
}
