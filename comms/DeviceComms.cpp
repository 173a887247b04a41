#include "DeviceComms.h"

#include "CommsLog.h"
#include "PortAccess.h"
#include "SerialComms.h"
#include "SerialPortWatch.h"
#include "WrkConnect.h"
#include "WrkDisconnectCmd.h"
#include "WrkScan.h"
#include "WrkSetup.h"

#include <QCoreApplication>
#include <QSerialPortInfo>
#include <algorithm>

namespace {

QString hexId(bool has, quint16 id)
{
    return has ? QString::number(id, 16) : QString();
}

} // namespace

DeviceComms::DeviceComms(QObject *parent)
    : DeviceCommands(parent)
    , m_portSource(&DeviceComms::systemPorts)
{
    m_thread.start(QThread::TimeCriticalPriority);
    while (!m_thread.isRunning() || !m_thread.eventDispatcher())
        QThread::yieldCurrentThread();

    // A port that loses its device while a sequence runs ends that sequence with an error; with
    // none running, nobody else would tell the session.
    QObject *host = m_thread.workerHost();
    connect(SerialComms::portWatch(&m_thread), &SerialPortWatch::portLost, host,
            [this, host](const QString &portName) {
                const auto workers
                    = host->findChildren<SequenceWorker *>(QString(), Qt::FindDirectChildrenOnly);
                if (std::any_of(workers.begin(), workers.end(),
                                [](const SequenceWorker *worker) { return worker->isRunning(); }))
                    return;
                QMetaObject::invokeMethod(this, [this, portName] { onPortLost(portName); });
            });
}

DeviceComms::~DeviceComms()
{
    // A scan blocked in its hand-over needs this thread's events to let go.
    terminateCommsThread();
}

void DeviceComms::startSequence(MakeSequence make, const char *name, const ScanParams &parameters)
{
    if (!m_thread.isRunning()) {
        qCWarning(lcComms) << "No communication thread for" << name;
        return;
    }
    QObject *host = m_thread.workerHost();
    // The port name is taken now, on this thread; the posted call never reads the controller.
    const QString portName = m_portName;
    QMetaObject::invokeMethod(
        host, [this, host, portName, parameters, make] { make(portName, this, parameters, host); });
    setBusy(true);
}

void DeviceComms::requestStopScanning()
{
    if (!m_thread.isRunning())
        return;
    QMetaObject::invokeMethod(m_thread.workerHost(), [this] { emit stopScanning(); });
}

void DeviceComms::terminateCommsThread()
{
    if (!m_thread.isRunning())
        return;
    QObject *host = m_thread.workerHost();
    const QString portName = m_portName;
    QMetaObject::invokeMethod(host, [this, host, portName] {
        const QObjectList workers = host->children();
        qCDebug(lcComms) << "Deleting the live sequences:" << workers;
        qDeleteAll(workers);
        auto *disconnect = new WrkDisconnectCmd(portName, this, ScanParams(), host);
        // The thread ends, and its port with it.
        auto end = [host] { host->thread()->quit(); };
        connect(disconnect, &SequenceWorker::finished, host, end);
        connect(disconnect, &SequenceWorker::error, host, end);
        connect(disconnect, &SequenceWorker::timeout, host, end);
    });
    // The sequences' last reports (and a sweep being handed over) are served meanwhile.
    while (!m_thread.wait(k_shutdownPollMs))
        QCoreApplication::processEvents();
    // Reports posted just before the thread ended are delivered too, so the session ends in
    // its final state whatever the timing.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

DeviceComms::PortList DeviceComms::systemPorts()
{
    PortList ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        ports.append({info.portName(), info.description()});
    return ports;
}

QStringList DeviceComms::allPorts()
{
    QStringList names;
    const auto ports = systemPorts();
    for (const auto &port : ports)
        names.append(port.first);
    return names;
}

QStringList DeviceComms::filteredPorts(const PortList &ports, const QString &description)
{
    QStringList names;
    for (const auto &port : ports) {
        if (!port.first.startsWith(QLatin1String("tty.")) && port.second == description)
            names.append(port.first);
    }
    return names;
}

QStringList DeviceComms::filteredPorts(const QString &description)
{
    return filteredPorts(systemPorts(), description);
}

void DeviceComms::printPortsInfo()
{
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        qCDebug(lcComms).noquote() << "Port:" << info.portName();
        qCDebug(lcComms).noquote() << "Location:" << info.systemLocation();
        qCDebug(lcComms).noquote() << "Description:" << info.description();
        qCDebug(lcComms).noquote() << "Manufacturer:" << info.manufacturer();
        qCDebug(lcComms).noquote() << "Serial number:" << info.serialNumber();
        qCDebug(lcComms).noquote()
            << "Vendor Identifier:" << hexId(info.hasVendorIdentifier(), info.vendorIdentifier());
        qCDebug(lcComms).noquote() << "Product Identifier:"
                                   << hexId(info.hasProductIdentifier(), info.productIdentifier());
    }
}

void DeviceComms::setMessageSink(MessageSink sink)
{
    m_messageSink = std::move(sink);
}

void DeviceComms::setPortSource(std::function<PortList()> source)
{
    m_portSource = source ? std::move(source) : &DeviceComms::systemPorts;
}

void DeviceComms::setNoCommError(bool noCommError)
{
    m_noCommError = noCommError;
}

void DeviceComms::connectToDevice(bool debug)
{
    if (m_connected)
        return;
    // A port this user may not open would only time out; say why and what to do instead.
    const QString accessProblem = PortAccess::permissionProblem(m_portName);
    if (!accessProblem.isEmpty()) {
        qCWarning(lcComms).noquote() << accessProblem;
        showCritical(accessProblem);
        return;
    }
    start<WrkConnect>({{QStringLiteral("skipFwVersions"), debug}});
}

void DeviceComms::disconnectFromDevice()
{
    if (m_connected)
        start<WrkDisconnectCmd>();
}

void DeviceComms::sendRfSetupAndScan(const ScanParams &parameters)
{
    if (m_connected)
        start<WrkSetup>(parameters);
}

void DeviceComms::setPortName(const QString &portName)
{
    m_portName = portName;
}

void DeviceComms::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    emit busyChanged(busy);
}

void DeviceComms::setConnected(bool connected)
{
    if (m_connected == connected)
        return;
    m_connected = connected;
    emit connectedChanged(connected);
}

void DeviceComms::reportScanning(bool scanning)
{
    m_scanning = scanning;
    emit scanningChanged(scanning);
}

void DeviceComms::endSession()
{
    setBusy(false);
    reportScanning(false);
    setConnected(false);
}

void DeviceComms::showCritical(const QString &text)
{
    const QString title = tr("Error");
    if (m_messageSink)
        m_messageSink(title, text);
    else
        qCCritical(lcComms).noquote() << title + QStringLiteral(": ") + text;
}

void DeviceComms::onSequenceFinished(const QString &workerClass)
{
    qCDebug(lcComms).noquote() << "Sequence finished:" << workerClass;
    if (workerClass == QLatin1String("WrkConnect"))
        setConnected(true);
    else if (workerClass == QLatin1String("WrkDisconnectCmd"))
        setConnected(false);

    if (workerClass == QLatin1String("WrkSetup")) {
        QThread::yieldCurrentThread();
        start<WrkScan>();
        reportScanning(true);
    } else if (workerClass == QLatin1String("WrkScan")) {
        reportScanning(false);
    }
    setBusy(false);
}

// The state changes come before the message: a message box waits for the user, and whoever
// reacts to the outcome (a bootloader recovery, the window's actions) meets the session as it
// now is.
void DeviceComms::onSequenceTimeout(const QString &workerClass)
{
    qCDebug(lcComms).noquote() << "Sequence timed out:" << workerClass;
    endSession();
    // Whoever hears the failure may already go on (and change what is silent).
    const bool silent = workerClass == m_silentWorker;
    if (workerClass != QLatin1String("WrkHostBL"))
        emit sequenceFailed(workerClass, QString());
    if (silent)
        return;
    if (workerClass == QLatin1String("WrkConnect")) {
        const QStringList ports = filteredPorts(m_portSource(), QString::fromLatin1(k_productName));
        if (ports.size() == 1)
            emit shouldTryBootload();
        else if (ports.isEmpty())
            showCritical(tr("Unable to find any Quorvex device!"));
        else
            showCritical(tr("Communication error! No response received"));
    } else if (workerClass == QLatin1String("WrkHostBL")) {
        // The host left for its firmware-update mode, often without acknowledging.
        emit rfsaHostBLDone();
    } else if (!m_noCommError) {
        showCritical(tr("Communication error! No response received"));
    }
}

void DeviceComms::onSequenceError(const QString &workerClass, const QString &errStr)
{
    // The host on its way to its firmware-update mode often leaves the port at once: it comes
    // back as another USB device. That is the command's success, as a missing answer is.
    if (workerClass == QLatin1String("WrkHostBL") && errStr == SerialComms::portLostText()) {
        onSequenceTimeout(workerClass);
        return;
    }
    qCDebug(lcComms).noquote() << "Sequence failed:" << workerClass << errStr;
    endSession();
    const bool silent = workerClass == m_silentWorker;
    emit sequenceFailed(workerClass, errStr);
    if (!silent)
        showCritical(errStr);
}

void DeviceComms::onDisconnectUnanswered(const QString &workerClass)
{
    qCDebug(lcComms).noquote() << "Disconnect unanswered:" << workerClass;
    endSession();
}

void DeviceComms::onPortLost(const QString &portName)
{
    qCWarning(lcComms) << "Port lost with no sequence running:" << portName;
    endSession();
    if (!m_noCommError)
        showCritical(tr("Communication error! No response received"));
}
