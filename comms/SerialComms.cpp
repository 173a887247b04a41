#include "SerialComms.h"

#include "CommsLog.h"
#include "SerialPortWatch.h"

#include <QHash>
#include <QMutex>
#include <QSerialPort>
#include <QThread>

namespace {

bool isLostPortError(QSerialPort::SerialPortError portError)
{
    // A device that goes away (an unplugged analyzer) leaves a port whose reads fail or return
    // nothing, and the port signals that again and again.
    return portError == QSerialPort::ResourceError || portError == QSerialPort::ReadError;
}

// The ports of the communication threads, one each. A port that has lost its device is
// closed, whether or not a protocol object is listening at that moment: it would otherwise keep
// its thread busy with the error. The close is queued because the error is reported from inside
// the port's own notifier; the watch, a child of the port, then reports the loss once. A port
// goes when its thread finishes.
QMutex s_portsMutex;
QHash<QThread *, QSerialPort *> s_ports;

QSerialPort *makePort(QThread *thread)
{
    auto *port = new QSerialPort;
    auto *watch = new SerialPortWatch(port);
    QObject::connect(port, &QSerialPort::errorOccurred, port,
                     [port, watch](QSerialPort::SerialPortError portError) {
                         if (!isLostPortError(portError))
                             return;
                         QMetaObject::invokeMethod(
                             port,
                             [port, watch] {
                                 if (port->isOpen() && isLostPortError(port->error())) {
                                     qCWarning(lcComms) << "Closing lost port" << port->portName();
                                     port->close();
                                     emit watch->portLost(port->portName());
                                 }
                             },
                             Qt::QueuedConnection);
                     });
    if (port->thread() != thread)
        port->moveToThread(thread);
    // Emitted by the finishing thread itself, before its objects go.
    QObject::connect(
        thread, &QThread::finished, port,
        [thread, port] {
            {
                QMutexLocker lock(&s_portsMutex);
                s_ports.remove(thread);
            }
            delete port;
        },
        Qt::DirectConnection);
    return port;
}

// The port reports a device under /dev by its bare name ("ttyACM0" for "/dev/ttyACM0"); both
// spellings name the same port.
bool isCurrentPort(const QString &portName, const QSerialPort &port)
{
    static const QString k_devPrefix = QStringLiteral("/dev/");
    const QString bare
        = portName.startsWith(k_devPrefix) ? portName.mid(k_devPrefix.size()) : portName;
    return bare == port.portName();
}

QString toHex(const QByteArray &bytes, char separator)
{
    return QString::fromLatin1(separator ? bytes.toHex(separator) : bytes.toHex());
}

} // namespace

QSerialPort *SerialComms::portOf(QThread *thread)
{
    QMutexLocker lock(&s_portsMutex);
    QSerialPort *&port = s_ports[thread];
    if (!port)
        port = makePort(thread);
    return port;
}

SerialComms::SerialComms(const QString &portName, QObject *parent)
    : QObject(parent)
    , m_port(portOf(QThread::currentThread()))
{
    if (!portName.isEmpty() && !isCurrentPort(portName, *m_port)) {
        if (m_port->isOpen())
            m_port->close();
        m_port->setPortName(portName);
        m_port->setBaudRate(QSerialPort::Baud115200, QSerialPort::AllDirections);
        m_port->setDataBits(QSerialPort::Data8);
        m_port->setParity(QSerialPort::NoParity);
        m_port->setStopBits(QSerialPort::OneStop);
        m_port->setFlowControl(QSerialPort::NoFlowControl);
    }

    // An open port whose device went away is of no use; the device may be back under the same
    // name, so it is opened afresh.
    if (m_port->isOpen() && isLostPortError(m_port->error()))
        m_port->close();
    m_port->clearError();

    if (!m_port->isOpen() && !m_port->open(QIODevice::ReadWrite)) {
        qCWarning(lcComms) << "Cannot open" << m_port->portName() << m_port->errorString();
        emit error(tr("Cannot open communication port"));
    }

    // What the device sent for an earlier sequence is stale and goes. What this side wrote is
    // kept: the last sequence's closing bytes (a bootloader response's ACK, say) may still sit
    // in the driver, and discarding them would lose them or cut a frame short on the wire.
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Input);

    QObject::connect(m_port, &QSerialPort::readyRead, this, &SerialComms::readData,
                     Qt::UniqueConnection);
    QObject::connect(m_port, &QSerialPort::errorOccurred, this, &SerialComms::onPortError);
}

SerialComms::~SerialComms() = default;

SerialPortWatch *SerialComms::portWatch(QThread *thread)
{
    return portOf(thread)->findChild<SerialPortWatch *>(QString(), Qt::FindDirectChildrenOnly);
}

void SerialComms::closePort()
{
    if (m_port->isOpen())
        m_port->close();
}

void SerialComms::printReceiveData()
{
    qCDebug(lcComms).noquote() << "Received Data:" << spacedHex(m_receiveData);
}

void SerialComms::printPortBuffer()
{
    const qint64 available = m_port->bytesAvailable();
    const QByteArray pending = m_port->isOpen() ? m_port->readAll() : QByteArray();
    qCDebug(lcComms).noquote() << "Port Buffer:"
                               << "(" << available << ")" << spacedHex(pending);
}

void SerialComms::setWaitingAck(bool waitingAck)
{
    if (m_waitingAck == waitingAck)
        return;
    if (!waitingAck)
        qCDebug(lcComms) << "Cleared waiting for ack";
    m_waitingAck = waitingAck;
    emit waitingAckChanged(waitingAck);
}

QString SerialComms::portLostText()
{
    return tr("Communication port lost");
}

QString SerialComms::hex(const QByteArray &bytes)
{
    return toHex(bytes, 0);
}

QString SerialComms::spacedHex(const QByteArray &bytes)
{
    return toHex(bytes, ' ');
}

void SerialComms::onPortError(int portError)
{
    if (m_portLost || !isLostPortError(QSerialPort::SerialPortError(portError)))
        return;
    // Reported once, and only after the port has returned from its notifier: a listener that
    // closes the port right away would pull the read buffer from under it.
    m_portLost = true;
    QMetaObject::invokeMethod(
        this, [this] { emit error(portLostText()); }, Qt::QueuedConnection);
}
