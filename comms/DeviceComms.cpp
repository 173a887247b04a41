#include "DeviceComms.h"

#include "PortAccess.h"
#include "firmware/WrkRblAutoBaud.h"
#include "firmware/WrkRblCmdBankErase.h"
#include "firmware/WrkRblCmdCrc32.h"
#include "firmware/WrkRblCmdDownload.h"
#include "firmware/WrkRblCmdGetChipId.h"
#include "firmware/WrkRblCmdGetStatus.h"
#include "firmware/WrkRblCmdMemoryRead.h"
#include "firmware/WrkRblCmdMemoryWrite.h"
#include "firmware/WrkRblCmdPing.h"
#include "firmware/WrkRblCmdReset.h"
#include "firmware/WrkRblCmdSectorErase.h"
#include "firmware/WrkRblCmdSendData.h"
#include "firmware/WrkRblCmdSetCcfg.h"
#include "firmware/WrkRblWriteSector.h"

#include "CommsLog.h"
#include "SerialComms.h"
#include "SerialPortWatch.h"
#include "WrkConnect.h"
#include "WrkConnectCmd.h"
#include "WrkDisconnectCmd.h"
#include "WrkGetCalibration.h"
#include "WrkGetDeviceVer.h"
#include "WrkGetFwVer.h"
#include "WrkGetInfoStr.h"
#include "WrkGetLastError.h"
#include "WrkGetRfParams.h"
#include "WrkGetSpecNoInit.h"
#include "WrkHostBL.h"
#include "WrkInitParameter.h"
#include "WrkResetToBootloader.h"
#include "WrkScan.h"
#include "WrkSetFBand.h"
#include "WrkSetFStart.h"
#include "WrkSetFStep.h"
#include "WrkSetFStop.h"
#include "WrkSetRBW.h"
#include "WrkSetSpan.h"
#include "WrkSetSpanIndex.h"
#include "WrkSetStepCount.h"
#include "WrkSetup.h"
#include "WrkSync.h"

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
    : QObject(parent)
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

template<typename Worker> void DeviceComms::startWorkerInThread(const ScanParams &parameters)
{
    if (!m_thread.isRunning()) {
        qCWarning(lcComms) << "No communication thread for" << Worker::staticMetaObject.className();
        return;
    }
    QObject *host = m_thread.workerHost();
    // The port name is taken now, on this thread; the posted call never reads the controller.
    const QString portName = m_portName;
    QMetaObject::invokeMethod(
        host, [this, host, portName, parameters] { new Worker(portName, this, parameters, host); });
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
    startWorkerInThread<WrkConnect>({{QStringLiteral("skipFwVersions"), debug}});
}

void DeviceComms::disconnectFromDevice()
{
    if (m_connected)
        startWorkerInThread<WrkDisconnectCmd>();
}

void DeviceComms::sendRfSetupAndScan(const ScanParams &parameters)
{
    if (m_connected)
        startWorkerInThread<WrkSetup>(parameters);
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
        startWorkerInThread<WrkScan>();
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

void DeviceComms::rfsaConnect()
{
    startWorkerInThread<WrkConnectCmd>();
}

void DeviceComms::rfsaDisconnect()
{
    startWorkerInThread<WrkDisconnectCmd>();
}

void DeviceComms::rfsaGetDeviceVer()
{
    startWorkerInThread<WrkGetDeviceVer>();
}

void DeviceComms::rfsaGetFwVer()
{
    startWorkerInThread<WrkGetFwVer>();
}

void DeviceComms::rfsaGetRfParams(RfsaSerialComms::FBand band)
{
    startWorkerInThread<WrkGetRfParams>({{QStringLiteral("FBand"), int(band)}});
}

void DeviceComms::rfsaGetLastError()
{
    startWorkerInThread<WrkGetLastError>();
}

void DeviceComms::rfsaSync()
{
    startWorkerInThread<WrkSync>();
}

void DeviceComms::rfsaHostBL()
{
    startWorkerInThread<WrkHostBL>();
}

void DeviceComms::rfsaSetFBand(RfsaSerialComms::SetFBand band)
{
    startWorkerInThread<WrkSetFBand>({{QStringLiteral("FBand"), int(band)}});
}

void DeviceComms::rfsaSetFStart(double frequencyMHz)
{
    startWorkerInThread<WrkSetFStart>({{QStringLiteral("FStart"), frequencyMHz}});
}

void DeviceComms::rfsaSetFStop(double frequencyMHz)
{
    startWorkerInThread<WrkSetFStop>({{QStringLiteral("FStop"), frequencyMHz}});
}

void DeviceComms::rfsaSetSpanIndex(quint8 index)
{
    startWorkerInThread<WrkSetSpanIndex>({{QStringLiteral("SpanIndex"), int(index)}});
}

void DeviceComms::rfsaSetFStep(double frequencyKHz)
{
    startWorkerInThread<WrkSetFStep>({{QStringLiteral("FStep"), frequencyKHz}});
}

void DeviceComms::rfsaSetRBW(quint8 rbwRegValue)
{
    startWorkerInThread<WrkSetRBW>({{QStringLiteral("RBW"), int(rbwRegValue)}});
}

void DeviceComms::rfsaSetStepCount(quint16 stepCount)
{
    startWorkerInThread<WrkSetStepCount>({{QStringLiteral("StepCount"), int(stepCount)}});
}

void DeviceComms::rfsaSetSpan(quint16 FrequencyMHz)
{
    startWorkerInThread<WrkSetSpan>({{QStringLiteral("Span"), int(FrequencyMHz)}});
}

void DeviceComms::rfsaInitParameter()
{
    startWorkerInThread<WrkInitParameter>();
}

void DeviceComms::rfsaGetSpecNoInit()
{
    startWorkerInThread<WrkGetSpecNoInit>();
}

void DeviceComms::rfsaGetCalibration()
{
    startWorkerInThread<WrkGetCalibration>();
}

void DeviceComms::rfsaResetToBootloader()
{
    startWorkerInThread<WrkResetToBootloader>();
}

void DeviceComms::rfsaGetInfoString(quint8 cpu, quint8 str)
{
    startWorkerInThread<WrkGetInfoStr>(
        {{QStringLiteral("Cpu"), int(cpu)}, {QStringLiteral("String"), int(str)}});
}

void DeviceComms::rblAutoBaud()
{
    startWorkerInThread<WrkRblAutoBaud>();
}

void DeviceComms::rblCmdPing()
{
    startWorkerInThread<WrkRblCmdPing>();
}

void DeviceComms::rblCmdDownload(quint32 address, quint32 size)
{
    startWorkerInThread<WrkRblCmdDownload>(
        {{QStringLiteral("address"), address}, {QStringLiteral("size"), size}});
}

void DeviceComms::rblCmdGetStatus()
{
    startWorkerInThread<WrkRblCmdGetStatus>();
}

void DeviceComms::rblCmdSendData(const QByteArray &data)
{
    startWorkerInThread<WrkRblCmdSendData>({{QStringLiteral("data"), data}});
}

void DeviceComms::rblCmdReset()
{
    startWorkerInThread<WrkRblCmdReset>();
}

void DeviceComms::rblCmdSectorErase(quint32 address)
{
    startWorkerInThread<WrkRblCmdSectorErase>({{QStringLiteral("address"), address}});
}

void DeviceComms::rblCmdCrc32(quint32 address, quint32 size, quint32 readRepeat)
{
    startWorkerInThread<WrkRblCmdCrc32>({{QStringLiteral("address"), address},
                                         {QStringLiteral("size"), size},
                                         {QStringLiteral("readRepeat"), readRepeat}});
}

void DeviceComms::rblCmdGetChipId()
{
    startWorkerInThread<WrkRblCmdGetChipId>();
}

void DeviceComms::rblCmdMemoryRead(quint32 address, quint32 size)
{
    startWorkerInThread<WrkRblCmdMemoryRead>(
        {{QStringLiteral("address"), address}, {QStringLiteral("size"), size}});
}

void DeviceComms::rblCmdMemoryWrite(quint32 address, const QByteArray &data)
{
    startWorkerInThread<WrkRblCmdMemoryWrite>(
        {{QStringLiteral("address"), address}, {QStringLiteral("data"), data}});
}

void DeviceComms::rblCmdBankErase()
{
    startWorkerInThread<WrkRblCmdBankErase>();
}

void DeviceComms::rblCmdSetCcfg(quint32 fieldId, quint32 fieldValue)
{
    startWorkerInThread<WrkRblCmdSetCcfg>(
        {{QStringLiteral("fieldId"), fieldId}, {QStringLiteral("fieldValue"), fieldValue}});
}

void DeviceComms::rblWriteSector(quint32 address, const QByteArray &data)
{
    startWorkerInThread<WrkRblWriteSector>(
        {{QStringLiteral("address"), address}, {QStringLiteral("data"), data}});
}
