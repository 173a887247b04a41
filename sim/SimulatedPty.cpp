#include "SimulatedPty.h"

#include "SimLog.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int k_maxQueued = 1 << 20; // a line nobody reads does not fill the memory
constexpr double k_fifoBytes = 64.0; // what the line may send at once after a pause
constexpr int k_pumpIntervalMs = 4;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

SimulatedPty::SimulatedPty(QObject *parent)
    : QObject(parent)
    , m_pumpTimer(new QTimer(this))
{
    m_pumpTimer->setSingleShot(true);
    connect(m_pumpTimer, &QTimer::timeout, this, &SimulatedPty::pump);
    m_clock.start();
}

SimulatedPty::~SimulatedPty()
{
    hangUp();
}

bool SimulatedPty::open(const QString &linkPath)
{
    if (isOpen())
        return true;
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        m_errorString = QStringLiteral("Cannot open a pseudo-terminal: ") + systemError();
        return false;
    }
    // A raw line at the analyzer's rate: no echo, no line editing, every byte as it comes.
    termios tio;
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B115200);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);

    m_master = master;
    m_slave = slave;
    m_slavePath = QString::fromLocal8Bit(name);
    m_errorString.clear();
    m_output.clear();
    m_stallUntil = 0;
    m_credit = k_fifoBytes;
    m_creditAt = m_clock.nsecsElapsed();

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &SimulatedPty::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] {
        m_writeNotifier->setEnabled(false);
        pump();
    });

    m_linkPath = linkPath;
    if (!m_linkPath.isEmpty()) {
        // Replace the link in one step, so that it never dangles while plugged in.
        const QByteArray link = QFile::encodeName(m_linkPath);
        const QByteArray staging = link + ".new";
        ::unlink(staging.constData());
        if (::symlink(name, staging.constData()) != 0
            || ::rename(staging.constData(), link.constData()) != 0) {
            m_errorString
                = QStringLiteral("Cannot create the link %1: %2").arg(m_linkPath, systemError());
            ::unlink(staging.constData());
            hangUp();
            return false;
        }
    }
    qCDebug(lcSim) << "Plugged in at" << m_slavePath << m_linkPath;
    return true;
}

void SimulatedPty::hangUp()
{
    if (!isOpen())
        return;
    closeDescriptors();
    // The device node goes away with the device.
    if (!m_linkPath.isEmpty())
        ::unlink(QFile::encodeName(m_linkPath).constData());
    qCDebug(lcSim) << "Hung up" << m_slavePath;
    m_slavePath.clear();
    m_output.clear();
    m_pumpTimer->stop();
}

void SimulatedPty::closeDescriptors()
{
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    ::close(m_master);
    ::close(m_slave);
    m_master = -1;
    m_slave = -1;
}

void SimulatedPty::write(const QByteArray &bytes)
{
    if (!isOpen() || bytes.isEmpty())
        return;
    m_output.append(bytes);
    if (m_output.size() > k_maxQueued)
        m_output.remove(0, m_output.size() - k_maxQueued);
    pump();
}

void SimulatedPty::stall(int msecs)
{
    m_stallUntil = std::max(m_stallUntil, m_clock.elapsed() + std::max(0, msecs));
    pump();
}

void SimulatedPty::readMaster()
{
    QByteArray bytes;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // Not expected while the simulator holds a slave descriptor; never spin on it.
            qCWarning(lcSim) << "Reading the pseudo-terminal failed:" << systemError();
            m_readNotifier->setEnabled(false);
        }
        break;
    }
    if (!bytes.isEmpty())
        emit received(bytes);
}

void SimulatedPty::pump()
{
    if (!isOpen() || m_output.isEmpty())
        return;
    const qint64 now = m_clock.elapsed();
    if (now < m_stallUntil) {
        m_pumpTimer->start(int(m_stallUntil - now));
        return;
    }

    int allowed = m_output.size();
    if (m_throttled) {
        const qint64 nowNs = m_clock.nsecsElapsed();
        m_credit
            = std::min(k_fifoBytes, m_credit + double(nowNs - m_creditAt) * k_bytesPerSecond / 1e9);
        m_creditAt = nowNs;
        allowed = std::min(allowed, int(m_credit));
    }
    if (allowed > 0) {
        const ssize_t n = ::write(m_master, m_output.constData(), size_t(allowed));
        if (n > 0) {
            m_output.remove(0, int(n));
            m_credit -= double(n);
        } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            qCWarning(lcSim) << "Writing the pseudo-terminal failed:" << systemError();
            m_output.clear();
            return;
        } else if (n < 0 && errno != EINTR) {
            // The line's buffer is full: go on when it takes bytes again.
            m_writeNotifier->setEnabled(true);
            return;
        }
    }
    if (!m_output.isEmpty())
        m_pumpTimer->start(m_throttled ? k_pumpIntervalMs : 0);
}
