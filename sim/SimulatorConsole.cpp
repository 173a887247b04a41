#include "SimulatorConsole.h"

#include "SimulatedAnalyzer.h"

#include <QSocketNotifier>
#include <QStringList>
#include <cerrno>
#include <unistd.h>

SimulatorConsole::SimulatorConsole(SimulatedAnalyzer *simulator, QObject *parent)
    : QObject(parent)
    , m_simulator(simulator)
{ }

QString SimulatorConsole::execute(const QString &line)
{
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return QString();
    const QString command = words.first().toLower();
    if (command == QLatin1String("carrier")) {
        const QString state = words.value(1).toLower();
        if (words.size() != 2 || (state != QLatin1String("on") && state != QLatin1String("off")))
            return QStringLiteral("Bad arguments: %1").arg(line.simplified());
        if (m_simulator->settings().carrierWidthMHz <= 0.0)
            return QStringLiteral("No carrier: start with --carrier MHZ[,WIDTH[,DBM]]");
        m_simulator->setCarrierOn(state == QLatin1String("on"));
        return QStringLiteral("Carrier %1").arg(state);
    }
    bool hasNumber = false;
    const int number = words.size() > 1 ? words.at(1).toInt(&hasNumber) : 0;
    if (words.size() > 2 || (words.size() == 2 && (!hasNumber || number < 0)))
        return QStringLiteral("Bad arguments: %1").arg(line.simplified());

    if (command == QLatin1String("hangup") && words.size() == 1) {
        m_simulator->hangUp();
        return QStringLiteral("Unplugged");
    }
    if (command == QLatin1String("plugin") && words.size() == 1) {
        if (!m_simulator->plugIn())
            return QStringLiteral("Cannot plug in: %1").arg(m_simulator->errorString());
        return QStringLiteral("Plugged in: %1").arg(m_simulator->slavePath());
    }
    if (command == QLatin1String("garbage")) {
        QByteArray bytes;
        const int count = hasNumber ? qMin(number, 4096) : 8;
        for (int i = 0; i < count; ++i)
            bytes.append(char(0xA5 ^ (i * 7)));
        m_simulator->sendGarbage(bytes);
        return QStringLiteral("Sent %1 stray bytes").arg(count);
    }
    if (command == QLatin1String("stall") && hasNumber) {
        m_simulator->stall(number);
        return QStringLiteral("Stalled for %1 ms").arg(number);
    }
    if (command == QLatin1String("drop-acks") && hasNumber) {
        m_simulator->dropAcknowledgements(number);
        return QStringLiteral("Dropping the next %1 acknowledgements").arg(number);
    }
    if (command == QLatin1String("corrupt-crc-every") && hasNumber) {
        m_simulator->setCorruptCrcEvery(number);
        return QStringLiteral("Corrupting the CRC of every frame number %1").arg(number);
    }
    if (command == QLatin1String("garbage-every") && hasNumber) {
        m_simulator->setGarbageEvery(number);
        return QStringLiteral("Stray bytes ahead of every frame number %1").arg(number);
    }
    if (command == QLatin1String("status") && words.size() == 1) {
        return m_simulator->isPluggedIn()
            ? QStringLiteral("Plugged in: %1 at %2")
                  .arg(m_simulator->portName(), m_simulator->slavePath())
            : QStringLiteral("Unplugged: %1").arg(m_simulator->portName());
    }
    if (command == QLatin1String("quit") && words.size() == 1) {
        emit quitRequested();
        return QStringLiteral("Quitting");
    }
    return QStringLiteral("Unknown command: %1").arg(line.simplified());
}

void SimulatorConsole::listen(int fd)
{
    delete m_notifier;
    m_fd = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimulatorConsole::readInput);
}

void SimulatorConsole::readInput()
{
    char chunk[1024];
    const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        // End of input (or a closed terminal): the simulator keeps running until stopped.
        m_notifier->setEnabled(false);
        return;
    }
    m_pending.append(chunk, int(n));
    for (int end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        const QString line = QString::fromLocal8Bit(m_pending.left(end));
        m_pending.remove(0, end + 1);
        const QString answer = execute(line);
        if (!answer.isEmpty())
            emit answered(answer);
    }
}
